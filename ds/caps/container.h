// TWAIN containers as bytes: what a request builds for the application and what a MSG_SET brings in. Pure.
#pragma once

#include "caps/value_text.h"
#include "lx9twain.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lx9 {

constexpr std::size_t kOneValueSize = 6;
constexpr std::size_t kRangeSize = 22;
constexpr std::size_t kEnumerationHeader = 14;
constexpr std::size_t kArrayHeader = 6;

// Bytes of one list item; 0 for the types a value text cannot express (TWTY_FRAME, the strings, unknown).
std::size_t ItemSize(TW_UINT16 itemType);

bool IsContainerType(TW_UINT16 conType);

// A parsed value ready to be packed. Only the fields of conType are used.
struct ContainerContent {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    uint32_t item = 0;  // one value
    ParsedRange range;
    ParsedList list;  // enumeration and array
    uint32_t currentIndex = 0;
    uint32_t defaultIndex = 0;
};

// The block as the application receives it (2-byte packing, list blocks one byte longer than their items).
// Empty when conType or itemType cannot be packed.
std::vector<uint8_t> EncodeContainer(const ContainerContent& content);

// The container an application passed with MSG_SET, checked against the size of its block.
struct ReceivedContainer {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    uint32_t item = 0;           // one value: the 32-bit item as it stands
    TW_RANGE range{};            // range
    std::vector<int32_t> items;  // enumeration and array, each widened by its type's signedness
};

// Nothing when the block is too small for what its header claims or its item type has no size.
std::optional<ReceivedContainer> DecodeContainer(TW_UINT16 conType, const uint8_t* block,
                                                 std::size_t blockSize);

}  // namespace lx9
