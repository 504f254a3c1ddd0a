// Shared by the capability tests: the shipped control files, capability requests through DS_Entry, and
// containers made and read back byte for byte.
#pragma once

#include "ds_twain_support.h"
#include "lx9twain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lx9test {

std::string ShippedFile(const char* name);  // as the build ships it, beside the test program

struct Container {
    TW_UINT16 conType = 0, itemType = 0;
    std::size_t blockSize = 0;
    uint32_t item = 0;                                      // one value
    uint32_t min = 0, max = 0, step = 0, def = 0, cur = 0;  // range
    uint32_t currentIndex = 0, defaultIndex = 0;            // enumeration
    std::vector<int64_t> items;                             // enumeration and array, by the type's signedness
};

struct Reply {
    TW_UINT16 rc = 0;
    TW_UINT16 condition = 0;  // from DAT_STATUS
    std::optional<Container> container;
};

// One request; a container passed (MSG_SET) belongs to the call and is read back and freed like a new one.
Reply Request(Application& app, TW_UINT16 cap, TW_UINT16 msg, HGLOBAL passed = nullptr,
              TW_UINT16 conType = TWON_DONTCARE16);

// A container as an application makes it: a one value of values[0], a range of the five values in TW_RANGE
// order, or a list (enumeration or array) of the values.
HGLOBAL MakeContainer(TW_UINT16 conType, TW_UINT16 itemType, const std::vector<uint32_t>& values);

inline Reply SetOne(Application& app, TW_UINT16 cap, TW_UINT16 itemType, uint32_t value) {
    return Request(app, cap, MSG_SET, MakeContainer(TWON_ONEVALUE, itemType, {value}), TWON_ONEVALUE);
}

}  // namespace lx9test
