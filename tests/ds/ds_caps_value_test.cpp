// Value texts and containers without any file.
#include "caps/container.h"
#include "caps/text_forms.h"
#include "caps/value_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace lx9;

namespace {

const SymbolLookup kUnits = [](const char* name) {
    static const std::map<std::string, int32_t> table = {{"TWUN_INCHES", 0}, {"TWUN_PIXELS", 5}};
    const auto found = table.find(name);
    return found == table.end() ? kUnknownSymbol : found->second;
};

std::vector<int32_t> Items(const ParsedList& list) {
    return {list.items, list.items + list.count};
}
int16_t Whole(const char* text) {
    return TextToFix32(text).Whole;
}

TEST(ValueText, NumbersAndFixedPoint) {
    EXPECT_EQ(ParseNumber("  -42abc"), -42);
    EXPECT_EQ(ParseNumber("\t+7"), 7);
    EXPECT_EQ(ParseNumber("- 5"), 0);
    EXPECT_EQ(ParseNumber(nullptr), 0);
    EXPECT_EQ(ParseNumber("4294967295"), -1);  // an unsigned 32-bit text comes back bit for bit
    // Only the whole part survives, through single precision printed with six decimals.
    EXPECT_EQ(Whole("1.5"), 1);
    EXPECT_EQ(Whole("-0.75"), 0);
    EXPECT_EQ(Whole("-3.7"), -3);
    EXPECT_EQ(Whole("0.9999999"), 1);
    EXPECT_EQ(Whole("nan"), 0);
    EXPECT_EQ(TextToFix32("1e39").Frac, 0);  // beyond single precision: clamped, no trap
    EXPECT_DOUBLE_EQ(Fix32ToReal({-1, 32768}), -0.5);
    EXPECT_EQ(Fix32Bits({1, 2}), 0x00020001u);
    EXPECT_EQ(Fix32FromBits(Fix32Bits({-3, 0x1234})).Whole, -3);
}

TEST(ValueText, ItemsRangesAndLists) {
    EXPECT_EQ(ParseItemWith("TWUN_PIXELS", TWTY_UINT16, kUnits), 5u);
    EXPECT_EQ(ParseItemWith("TWUN_MILES", TWTY_UINT16, kUnits), 99u);
    EXPECT_EQ(ParseItemWith("2.5", TWTY_FIX32, kUnits), 2u);
    const ParsedRange range = ParseRange("-1_to_1200,10", TWTY_INT16);
    EXPECT_EQ(static_cast<int32_t>(range.min), -1);
    EXPECT_EQ(range.max, 1200u);
    EXPECT_EQ(range.step, 10u);
    EXPECT_EQ(ParseRange("1.5_to_3.75,0.5", TWTY_FIX32).max, 3u);
    EXPECT_EQ(ParseRange("5_to_10", TWTY_INT32).step, 0u);

    EXPECT_EQ(Items(ParseListWith("[1,2,3]", true, TWTY_UINT16, kUnits)), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Items(ParseListWith("[1,2", true, TWTY_UINT16, kUnits)), (std::vector<int32_t>{1, 2}));
    const ParsedList list =
        ParseListWith("TWUN_INCHES,,TWUN_PIXELS,TWUN_MILES,7", false, TWTY_UINT16, kUnits);
    EXPECT_EQ(Items(list), (std::vector<int32_t>{0, 5, 99, 7}));
    EXPECT_EQ(list.items[4], kUnusedListSlot);
    // Narrow items keep 16 bits, 32-bit items all of theirs.
    EXPECT_EQ(Items(ParseListWith("70000,-2", false, TWTY_UINT16, kUnits)), (std::vector<int32_t>{4464, -2}));
    EXPECT_EQ(Items(ParseListWith("70000,-2", false, TWTY_INT32, kUnits)), (std::vector<int32_t>{70000, -2}));
    EXPECT_EQ(Items(ParseListWith("417,835.9", false, TWTY_FIX32, kUnits)), (std::vector<int32_t>{417, 835}));

    std::string many;
    for (int i = 0; i < 50; ++i) many += std::to_string(i) + ",";
    EXPECT_EQ(ParseListWith(many.c_str(), false, TWTY_INT16, kUnits).count, kMaxListItems);
}

TEST(ValueText, IndicesAndSymbolsByNumber) {
    EXPECT_EQ(FindIndexIn("TWUN_INCHES,TWUN_CENTIMETERS,TWUN_PIXELS", "TWUN_PIXELS"), 2u);
    EXPECT_EQ(FindIndexIn("TWUN_INCHES,TWUN_PIXELS", "TWUN_POINTS"), 0u);
    EXPECT_EQ(FindIndexIn("1,,2,3", "3"), 2u);  // positions in the parsed list
    std::string many;
    for (int i = 0; i < 40; ++i) many += std::to_string(i) + ",";
    EXPECT_EQ(FindIndexIn(many.c_str(), "35"), 0u);  // never an index past the kept items

    const char section[] = "TWUN_INCHES=0\0no equals sign\0TWUN_PIXELS=5\0ABCDEFGHIJKLMNOPQRSTUVWXYZ0123=9\0";
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 5), "TWUN_PIXELS");
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 3), "");
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 9), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
    EXPECT_EQ(SymbolForNumberIn("\0", 2, -12), "-12");
    const char unterminated[] = {'A', '=', '1'};
    EXPECT_EQ(SymbolForNumberIn(unterminated, sizeof unterminated, 2), "");
}

TEST(TextForms, WrittenListsStayWithinWhatAReaderKeeps) {
    const std::string list = ListText(std::vector<std::string>(40, "TWUN_CENTIMETERS"));
    EXPECT_LT(list.size(), 512u);
    EXPECT_EQ(list.back(), 'S');
    const std::string array = ArrayText(std::vector<int32_t>(40, -2000000000));
    EXPECT_EQ(array.back(), ']');
    EXPECT_EQ(ParseListWith(array.c_str(), true, TWTY_INT32, kUnits).count, kMaxListItems);
}

TEST(Containers, ListItemsTakeTheSizeOfTheirType) {
    ContainerContent c;  // one values and ranges are checked byte for byte through DS_Entry
    c.conType = TWON_ENUMERATION;
    c.itemType = TWTY_UINT8;
    c.list.items[0] = 0x1FF;
    c.list.items[1] = 7;
    c.list.count = 2;
    c.currentIndex = 1;
    std::vector<uint8_t> bytes = EncodeContainer(c);
    ASSERT_EQ(bytes.size(), 14u + 2 + 1);
    EXPECT_EQ(bytes[6], 1);
    EXPECT_EQ(bytes[14], 0xFF);  // the low 8 bits

    c.conType = TWON_ARRAY;
    c.itemType = TWTY_INT32;
    c.list.items[1] = -7;
    bytes = EncodeContainer(c);
    ASSERT_EQ(bytes.size(), 6u + 2 * 4 + 1);
    int32_t second;
    std::memcpy(&second, bytes.data() + 10, 4);
    EXPECT_EQ(second, -7);

    for (TW_UINT16 type : {TWTY_FRAME, TWTY_STR32, TW_UINT16(99)}) {
        c.itemType = type;
        EXPECT_TRUE(EncodeContainer(c).empty()) << type;
    }
    c.itemType = TWTY_UINT16;
    c.conType = 99;
    EXPECT_TRUE(EncodeContainer(c).empty());
}

TEST(Containers, ReceivedBlocksAreCheckedBeforeUse) {
    const uint8_t one[6] = {TWTY_INT16, 0, 0xFE, 0xFF, 0, 0};
    ASSERT_TRUE(DecodeContainer(TWON_ONEVALUE, one, 6));
    EXPECT_EQ(DecodeContainer(TWON_ONEVALUE, one, 6)->item, 0xFFFEu);
    EXPECT_FALSE(DecodeContainer(TWON_ONEVALUE, one, 5));
    EXPECT_FALSE(DecodeContainer(TWON_RANGE, one, 6));
    EXPECT_FALSE(DecodeContainer(99, one, 6));

    uint8_t list[16] = {TWTY_INT8, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 5};
    ASSERT_TRUE(DecodeContainer(TWON_ENUMERATION, list, 16));
    EXPECT_EQ(DecodeContainer(TWON_ENUMERATION, list, 16)->items, (std::vector<int32_t>{-1, 5}));
    list[2] = 3;  // more items than the block holds
    EXPECT_FALSE(DecodeContainer(TWON_ENUMERATION, list, 16));
    std::memset(list + 2, 0xFF, 4);
    EXPECT_FALSE(DecodeContainer(TWON_ENUMERATION, list, 16));
    list[0] = TWTY_STR32;
    EXPECT_FALSE(DecodeContainer(TWON_ARRAY, list, 16));
}

}  // namespace
