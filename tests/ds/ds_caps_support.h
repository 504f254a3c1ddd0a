// Shared by the capability tests: the shipped control files, capability requests as an application makes
// them through DS_Entry, and containers built and read back byte for byte.
#pragma once

#include "ds_twain_support.h"
#include "lx9twain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lx9test {

// The LX-9's control files as the build ships them (beside the test program).
std::string ShippedFile(const char* name);
std::string ShippedSourceControl();
std::string ShippedInitialControl();

// A container read back from a handle; the handle is freed.
struct Container {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    std::size_t blockSize = 0;
    uint32_t item = 0;                    // one value
    uint32_t min = 0, max = 0, step = 0;  // range
    uint32_t defaultValue = 0, currentValue = 0;
    uint32_t numItems = 0, currentIndex = 0, defaultIndex = 0;
    std::vector<int64_t> items;  // enumeration and array, by the item type's signedness
};
Container ReadContainer(HANDLE block, TW_UINT16 conType);

// A request and what came back: the result, the condition from DAT_STATUS, and the container if one was made.
struct Reply {
    TW_UINT16 rc = 0;
    TW_UINT16 condition = 0;
    TW_CAPABILITY cap{};
    std::optional<Container> container;
};
Reply Request(Application& app, TW_UINT16 cap, TW_UINT16 msg, HANDLE passed = nullptr,
              TW_UINT16 conType = TWON_DONTCARE16);

// Containers an application builds for MSG_SET (movable blocks of exactly the standard sizes).
HGLOBAL MakeOneValue(TW_UINT16 itemType, uint32_t item);
HGLOBAL MakeRange(TW_UINT16 itemType, uint32_t min, uint32_t max, uint32_t step, uint32_t defaultValue,
                  uint32_t currentValue);
HGLOBAL MakeList(TW_UINT16 conType, TW_UINT16 itemType, const std::vector<uint32_t>& items,
                 uint32_t currentIndex = 0, uint32_t defaultIndex = 0);

// MSG_SET with a container made by one of the above; the container is read back and freed.
Reply Set(Application& app, TW_UINT16 cap, TW_UINT16 conType, HGLOBAL container);

TW_FIX32 Fix(uint32_t bits);

}  // namespace lx9test
