// lx9acquire's capability texts: values typed on the command line for an item type, and the containers a
// source returns, printed item by item. Checked: a parsed value fits its type and prints back as a value
// of that type, a container description never reads past the block (exactly as large as the source said),
// and a block too small for its header is refused.
//
// Input: byte 0 the capability's low byte, byte 1 the item type, byte 2 the container type, byte 3 which
// part (even: a command-line value, the rest its text; odd: the rest is a container block).
#include <cstring>

#include "cap_value.h"
#include "container_text.h"
#include "fuzz_input.h"
#include "twain_names.h"

namespace {

using lx9fuzz::ExactBuffer;
namespace acquire = lx9::acquire;

const TW_UINT16 kCaps[] = {CAP_XFERCOUNT, ICAP_XFERMECH,  ICAP_PIXELTYPE, ICAP_COMPRESSION, ICAP_XRESOLUTION,
                           ICAP_UNITS,    CAP_INDICATORS, ICAP_BITDEPTH,  0x8001,           0x0000};

void CommandLineValue(TW_UINT16 cap, TW_UINT16 itemType, const std::string& text) {
    TW_UINT32 item = 0xDEADBEEF;
    std::string error;
    if (!acquire::ParseItemValue(text, itemType, item, error)) {
        LX9_FUZZ_CHECK(!error.empty());
        return;
    }
    const std::size_t size = acquire::ItemSize(itemType);
    LX9_FUZZ_CHECK(size >= 1 && size <= 4);
    if (size < 4) LX9_FUZZ_CHECK(item >> (8 * size) == 0);  // narrow items sit in the low bytes only
    uint8_t bytes[4];
    std::memcpy(bytes, &item, 4);
    LX9_FUZZ_CHECK(!acquire::FormatItem(cap, itemType, bytes).empty());
    acquire::CapabilityFromText(text);
    acquire::ConstantFromName(text);
}

void Container(TW_UINT16 cap, TW_UINT16 conType, std::span<const uint8_t> bytes) {
    ExactBuffer block(bytes.size(), bytes);
    std::string text, error;
    const bool described = acquire::DescribeContainer(cap, conType, block.data(), block.size(), text, error);
    LX9_FUZZ_CHECK(described ? !text.empty() : !error.empty());
    TW_UINT16 itemType = 0;
    LX9_FUZZ_CHECK(acquire::ContainerItemType(block.data(), block.size(), itemType) == (block.size() >= 2));
    // A block of the header alone, without its items, is too small for any count but 0.
    if (described && (conType == TWON_ENUMERATION || conType == TWON_ARRAY)) {
        const std::size_t header = conType == TWON_ENUMERATION ? 14 : 6;
        uint32_t count = 0;
        if (block.size() >= 6) std::memcpy(&count, block.data() + 2, 4);
        LX9_FUZZ_CHECK(block.size() >= header + uint64_t{count} * acquire::ItemSize(itemType));
    }
    acquire::CapabilityName(cap);
    for (int64_t v : {-1, 0, 1, 2, 65535, 0x7FFFFFFF}) acquire::ConstantForValue(cap, v);
    acquire::FormatRangeValue(cap, itemType, 0xFFFFFFFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const TW_UINT16 cap =
        data[0] < 0xF0 ? kCaps[data[0] % std::size(kCaps)] : static_cast<TW_UINT16>(0x1100 + data[0]);
    const TW_UINT16 itemType = data[1] % 16;
    const TW_UINT16 conType = data[2] < 0xF0 ? 3 + data[2] % 4 : data[2];
    if (data[3] % 2 == 0)
        CommandLineValue(cap, itemType, std::string(reinterpret_cast<const char*>(data + 4), size - 4));
    else
        Container(cap, conType, {data + 4, size - 4});
    return 0;
}
