// Capability values between text and TWAIN items: parsing a command-line value for an item type, and
// printing items read from a container.
#pragma once

#include <lx9twain.h>

#include <cstddef>
#include <string>

namespace lx9::acquire {

// Bytes one item of the type takes in a container; 0 for an unknown type.
std::size_t ItemSize(TW_UINT16 itemType);

// Parses "TWSX_MEMORY", "TRUE", "2", "0x10", "-3" or "300.5" (TWTY_FIX32) into the 32 bits of a
// TW_ONEVALUE's Item for that item type. False with a reason when the text does not fit the type.
bool ParseItemValue(const std::string& text, TW_UINT16 itemType, TW_UINT32& item, std::string& error);

// One item at `bytes` (ItemSize(itemType) bytes), printed for the capability: a constant's name where one
// exists, else the number; FIX32 as a decimal; strings quoted; frames as (left,top,right,bottom).
std::string FormatItem(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* bytes);

// A range bound: the 32 bits of TW_RANGE hold the item (FIX32 as its bit pattern).
std::string FormatRangeValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value);

}  // namespace lx9::acquire
