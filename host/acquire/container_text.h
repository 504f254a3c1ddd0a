// A capability's container as one line of text, read from the container block the source returned. Every
// count is checked against the block's size before an item is read.
#pragma once

#include <lx9twain.h>

#include <cstddef>
#include <string>

namespace lx9::acquire {

// "CAP ICAP_XFERMECH ENUMERATION TWTY_UINT16 current=TWSX_NATIVE default=TWSX_NATIVE
// items=TWSX_NATIVE,TWSX_MEMORY" False with a reason when the block is too small for what its header says.
bool DescribeContainer(TW_UINT16 cap, TW_UINT16 conType, const uint8_t* block, std::size_t size,
                       std::string& text, std::string& error);

// The item type of a container (the first field of every container type); false when the block is too short.
bool ContainerItemType(const uint8_t* block, std::size_t size, TW_UINT16& itemType);

}  // namespace lx9::acquire
