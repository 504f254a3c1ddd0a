#include "container_text.h"

#include "cap_value.h"
#include "twain_names.h"

#include <cstring>

namespace lx9::acquire {
namespace {

template <typename T>
T ReadAt(const uint8_t* block, std::size_t offset) {
    T value;
    std::memcpy(&value, block + offset, sizeof(T));
    return value;
}

// NumItems items of itemSize bytes from `offset`, all inside the block.
bool ItemsFit(std::size_t size, std::size_t offset, uint64_t count, std::size_t itemSize) {
    return offset <= size && count * itemSize <= size - offset;
}

std::string ItemList(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* items, uint32_t count) {
    std::string list;
    const std::size_t itemSize = ItemSize(itemType);
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) list += ",";
        list += FormatItem(cap, itemType, items + std::size_t{i} * itemSize);
    }
    return list;
}

std::string ListEntry(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* items, uint32_t count,
                      uint32_t index) {
    if (index >= count) return "?(index " + std::to_string(index) + ")";
    return FormatItem(cap, itemType, items + std::size_t{index} * ItemSize(itemType));
}

bool DescribeOneValue(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* block, std::size_t size,
                      std::string& text) {
    // Items up to 4 bytes sit in the 32-bit Item; wider ones (frames, strings) start at the same place.
    if (!ItemsFit(size, offsetof(TW_ONEVALUE, Item), 1, ItemSize(itemType))) return false;
    text += " " + FormatItem(cap, itemType, block + offsetof(TW_ONEVALUE, Item));
    return true;
}

bool DescribeEnumeration(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* block, std::size_t size,
                         std::string& text) {
    if (size < offsetof(TW_ENUMERATION, ItemList)) return false;
    const auto count = ReadAt<uint32_t>(block, offsetof(TW_ENUMERATION, NumItems));
    const auto current = ReadAt<uint32_t>(block, offsetof(TW_ENUMERATION, CurrentIndex));
    const auto fallback = ReadAt<uint32_t>(block, offsetof(TW_ENUMERATION, DefaultIndex));
    const std::size_t offset = offsetof(TW_ENUMERATION, ItemList);
    if (!ItemsFit(size, offset, count, ItemSize(itemType))) return false;
    const uint8_t* items = block + offset;
    text += " current=" + ListEntry(cap, itemType, items, count, current) +
            " default=" + ListEntry(cap, itemType, items, count, fallback) +
            " items=" + ItemList(cap, itemType, items, count);
    return true;
}

bool DescribeArray(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* block, std::size_t size,
                   std::string& text) {
    if (size < offsetof(TW_ARRAY, ItemList)) return false;
    const auto count = ReadAt<uint32_t>(block, offsetof(TW_ARRAY, NumItems));
    const std::size_t offset = offsetof(TW_ARRAY, ItemList);
    if (!ItemsFit(size, offset, count, ItemSize(itemType))) return false;
    text += " items=" + ItemList(cap, itemType, block + offset, count);
    return true;
}

bool DescribeRange(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* block, std::size_t size,
                   std::string& text) {
    if (size < sizeof(TW_RANGE)) return false;
    const auto value = [&](std::size_t offset) {
        return FormatRangeValue(cap, itemType, ReadAt<uint32_t>(block, offset));
    };
    text += " min=" + value(offsetof(TW_RANGE, MinValue)) + " max=" + value(offsetof(TW_RANGE, MaxValue)) +
            " step=" + value(offsetof(TW_RANGE, StepSize)) +
            " default=" + value(offsetof(TW_RANGE, DefaultValue)) +
            " current=" + value(offsetof(TW_RANGE, CurrentValue));
    return true;
}

}  // namespace

bool ContainerItemType(const uint8_t* block, std::size_t size, TW_UINT16& itemType) {
    if (!block || size < sizeof(TW_UINT16)) return false;
    itemType = ReadAt<TW_UINT16>(block, 0);
    return true;
}

bool DescribeContainer(TW_UINT16 cap, TW_UINT16 conType, const uint8_t* block, std::size_t size,
                       std::string& text, std::string& error) {
    TW_UINT16 itemType = 0;
    if (!ContainerItemType(block, size, itemType)) {
        error = "the container of " + CapabilityName(cap) + " is empty";
        return false;
    }
    if (ItemSize(itemType) == 0) {
        error = "the container of " + CapabilityName(cap) + " has an unknown item type " +
                std::to_string(itemType);
        return false;
    }
    text = "CAP " + CapabilityName(cap) + " " + ContainerName(conType) + " " + ItemTypeName(itemType);
    bool fits = false;
    switch (conType) {
        case TWON_ONEVALUE:
            fits = DescribeOneValue(cap, itemType, block, size, text);
            break;
        case TWON_ENUMERATION:
            fits = DescribeEnumeration(cap, itemType, block, size, text);
            break;
        case TWON_ARRAY:
            fits = DescribeArray(cap, itemType, block, size, text);
            break;
        case TWON_RANGE:
            fits = DescribeRange(cap, itemType, block, size, text);
            break;
        default:
            error = "the source answered " + CapabilityName(cap) + " with an unknown container type " +
                    std::to_string(conType);
            return false;
    }
    if (!fits) {
        error = "the " + ContainerName(conType) + " of " + CapabilityName(cap) +
                " is larger than its block (" + std::to_string(size) + " bytes)";
    }
    return fits;
}

}  // namespace lx9::acquire
