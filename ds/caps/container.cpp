#include "caps/container.h"

#include <cstring>

namespace lx9 {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFFu);
    Put16(out, value >> 16);
}

uint32_t Get16(const uint8_t* at) {
    return at[0] | (at[1] << 8);
}
uint32_t Get32(const uint8_t* at) {
    return Get16(at) | (Get16(at + 2) << 16);
}

void PutItem(std::vector<uint8_t>& out, TW_UINT16 itemType, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    switch (ItemSize(itemType)) {
        case 1:
            out.push_back(static_cast<uint8_t>(bits));
            break;
        case 2:
            Put16(out, bits & 0xFFFFu);
            break;
        default:
            Put32(out, bits);
            break;
    }
}

int32_t GetItem(const uint8_t* at, TW_UINT16 itemType) {
    switch (itemType) {
        case TWTY_INT8:
            return static_cast<int8_t>(at[0]);
        case TWTY_UINT8:
            return at[0];
        case TWTY_INT16:
            return static_cast<int16_t>(Get16(at));
        case TWTY_UINT16:
        case TWTY_BOOL:
            return static_cast<int32_t>(Get16(at));
        default:
            return static_cast<int32_t>(Get32(at));
    }
}

}  // namespace

std::size_t ItemSize(TW_UINT16 itemType) {
    switch (itemType) {
        case TWTY_INT8:
        case TWTY_UINT8:
            return 1;
        case TWTY_INT16:
        case TWTY_UINT16:
        case TWTY_BOOL:
            return 2;
        case TWTY_INT32:
        case TWTY_UINT32:
        case TWTY_FIX32:
            return 4;
        default:
            return 0;
    }
}

bool IsContainerType(TW_UINT16 conType) {
    return conType >= TWON_ARRAY && conType <= TWON_RANGE;
}

std::vector<uint8_t> EncodeContainer(const ContainerContent& content) {
    std::vector<uint8_t> out;
    if (!IsContainerType(content.conType) || ItemSize(content.itemType) == 0) return out;
    Put16(out, content.itemType);
    switch (content.conType) {
        case TWON_ONEVALUE:
            Put32(out, content.item);
            break;
        case TWON_RANGE:
            Put32(out, content.range.min);
            Put32(out, content.range.max);
            Put32(out, content.range.step);
            Put32(out, 0);  // DefaultValue and CurrentValue are not kept in the files
            Put32(out, 0);
            break;
        case TWON_ENUMERATION:
        case TWON_ARRAY:
            Put32(out, content.list.count);
            if (content.conType == TWON_ENUMERATION) {
                Put32(out, content.currentIndex);
                Put32(out, content.defaultIndex);
            }
            for (uint32_t i = 0; i < content.list.count && i < kMaxListItems; ++i) {
                PutItem(out, content.itemType, content.list.items[i]);
            }
            out.push_back(0);
            break;
    }
    return out;
}

std::optional<ReceivedContainer> DecodeContainer(TW_UINT16 conType, const uint8_t* block,
                                                 std::size_t blockSize) {
    if (block == nullptr || blockSize < 2 || !IsContainerType(conType)) return std::nullopt;
    ReceivedContainer received;
    received.conType = conType;
    received.itemType = static_cast<TW_UINT16>(Get16(block));
    const std::size_t itemSize = ItemSize(received.itemType);
    if (itemSize == 0) return std::nullopt;
    switch (conType) {
        case TWON_ONEVALUE:
            if (blockSize < kOneValueSize) return std::nullopt;
            received.item = Get32(block + 2);
            return received;
        case TWON_RANGE:
            if (blockSize < kRangeSize) return std::nullopt;
            std::memcpy(&received.range, block, kRangeSize);
            return received;
        default:
            break;
    }
    const std::size_t header = conType == TWON_ENUMERATION ? kEnumerationHeader : kArrayHeader;
    if (blockSize < header) return std::nullopt;
    const uint32_t count = Get32(block + 2);
    if (count > (blockSize - header) / itemSize) return std::nullopt;
    received.items.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        received.items.push_back(GetItem(block + header + i * itemSize, received.itemType));
    return received;
}

}  // namespace lx9
