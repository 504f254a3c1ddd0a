// The containers an application hands the data source with MSG_SET: a block of the size the application
// allocated, whose header may claim anything. Checked: nothing is read past the block (an exact copy),
// what is decoded fits the block, and a decoded container packed again the way the source answers MSG_GET
// decodes to the same values.
//
// Input: byte 0 the container type (3..6, or any), then the block.
#include <cstring>

#include "caps/container.h"
#include "fuzz_input.h"

namespace {

using lx9fuzz::ExactBuffer;

bool SameContainer(const lx9::ReceivedContainer& a, const lx9::ReceivedContainer& b) {
    return a.conType == b.conType && a.itemType == b.itemType && a.item == b.item &&
           std::memcmp(&a.range, &b.range, sizeof a.range) == 0 && a.items == b.items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const TW_UINT16 conType = data[0] < 0xF0 ? 3 + data[0] % 4 : static_cast<TW_UINT16>(data[0] << 4);
    ExactBuffer block(size - 1, {data + 1, size - 1});
    const auto received = lx9::DecodeContainer(conType, block.data(), block.size());
    if (!received) return 0;
    LX9_FUZZ_CHECK(lx9::IsContainerType(conType) && lx9::ItemSize(received->itemType) != 0);
    const size_t itemSize = lx9::ItemSize(received->itemType);
    if (conType == TWON_ENUMERATION || conType == TWON_ARRAY) {
        const size_t header = conType == TWON_ENUMERATION ? lx9::kEnumerationHeader : lx9::kArrayHeader;
        LX9_FUZZ_CHECK(header + received->items.size() * itemSize <= block.size());
    }
    if (received->items.size() > lx9::kMaxListItems) return 0;

    lx9::ContainerContent content;
    content.conType = conType;
    content.itemType = received->itemType;
    content.item = received->item;
    content.range = {received->range.MinValue, received->range.MaxValue, received->range.StepSize};
    content.list.count = static_cast<uint32_t>(received->items.size());
    for (size_t i = 0; i < received->items.size(); ++i) content.list.items[i] = received->items[i];
    const std::vector<uint8_t> packed = lx9::EncodeContainer(content);
    LX9_FUZZ_CHECK(!packed.empty());
    auto again = lx9::DecodeContainer(conType, packed.data(), packed.size());
    LX9_FUZZ_CHECK(again.has_value());
    // The source keeps neither the range's default and current values nor anything past a one value's item.
    lx9::ReceivedContainer expected = *received;
    expected.range.DefaultValue = expected.range.CurrentValue = 0;
    if (conType == TWON_ONEVALUE && itemSize < 4) {
        again->item &= (1u << (8 * itemSize)) - 1;
        expected.item &= (1u << (8 * itemSize)) - 1;
    }
    LX9_FUZZ_CHECK(SameContainer(*again, expected));
    return 0;
}
