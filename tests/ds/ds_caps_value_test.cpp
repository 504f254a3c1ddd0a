// Value texts and containers without any file: numbers, fixed-point values, ranges, lists, the texts written
// back, and the bytes of each container.
#include "caps/container.h"
#include "caps/text_forms.h"
#include "caps/value_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

using namespace lx9;

namespace {

SymbolLookup Symbols(std::map<std::string, int32_t> table) {
    return [table](const char* name) {
        const auto found = table.find(name);
        return found == table.end() ? kUnknownSymbol : found->second;
    };
}

std::vector<int32_t> Items(const ParsedList& list) {
    return {list.items, list.items + list.count};
}

TEST(ValueText, NumbersReadLikeTheCLibrary) {
    EXPECT_EQ(ParseNumber("  -42abc"), -42);
    EXPECT_EQ(ParseNumber("\t+7"), 7);
    EXPECT_EQ(ParseNumber("12_to_40"), 12);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber("- 5"), 0);
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumber(nullptr), 0);
    // An unsigned 32-bit text comes back bit for bit.
    EXPECT_EQ(ParseNumber("4294967295"), -1);
}

TEST(ValueText, FixedPointTextsKeepTheirWholePartOnly) {
    const auto whole = [](const char* text) {
        const TW_FIX32 value = TextToFix32(text);
        EXPECT_EQ(value.Frac, 0) << text;
        return value.Whole;
    };
    EXPECT_EQ(whole("1.5"), 1);
    EXPECT_EQ(whole("2.5"), 2);
    EXPECT_EQ(whole("-0.75"), 0);
    EXPECT_EQ(whole("-3.7"), -3);
    EXPECT_EQ(whole("99.99"), 99);
    EXPECT_EQ(whole("417"), 417);
    // Printed with six decimals first, so a value this close to 1 rounds up.
    EXPECT_EQ(whole("0.9999999"), 1);
    EXPECT_EQ(whole("text"), 0);
    EXPECT_EQ(whole("inf"), 0);
    EXPECT_EQ(whole("nan"), 0);
    TextToFix32("1e400");  // beyond single and double precision: no trap
    EXPECT_DOUBLE_EQ(Fix32ToReal({2, 32768}), 2.5);
    EXPECT_DOUBLE_EQ(Fix32ToReal({-1, 32768}), -0.5);
    const TW_FIX32 back = Fix32FromBits(Fix32Bits({-3, 0x1234}));
    EXPECT_EQ(back.Whole, -3);
    EXPECT_EQ(back.Frac, 0x1234);
    EXPECT_EQ(Fix32Bits({1, 2}), 0x00020001u);
}

TEST(ValueText, ItemsAreSymbolsFixedPointOrNumbers) {
    const SymbolLookup units = Symbols({{"TWUN_PIXELS", 5}});
    EXPECT_EQ(ParseItemWith("TWUN_PIXELS", TWTY_UINT16, units), 5u);
    EXPECT_EQ(ParseItemWith("TWUN_MILES", TWTY_UINT16, units), 99u);
    EXPECT_EQ(ParseItemWith("2.5", TWTY_FIX32, units), Fix32Bits({2, 0}));
    EXPECT_EQ(ParseItemWith("-1", TWTY_INT16, units), 0xFFFFFFFFu);
    // A symbol's number is the item itself, whatever the type: a fixed-point value with a fraction.
    EXPECT_EQ(ParseItemWith("HALF", TWTY_FIX32, Symbols({{"HALF", 0x8000 << 16}})), 0x80000000u);
    EXPECT_FALSE(IsSymbol("1abc"));
    EXPECT_FALSE(IsSymbol("_x"));
    EXPECT_TRUE(IsSymbol("z"));
}

TEST(ValueText, RangesSplitAtUnderscoreToAndComma) {
    ParsedRange range = ParseRange("50_to_1200,10", TWTY_UINT16);
    EXPECT_EQ(range.min, 50u);
    EXPECT_EQ(range.max, 1200u);
    EXPECT_EQ(range.step, 10u);
    range = ParseRange("-1_to_40,1", TWTY_INT16);
    EXPECT_EQ(static_cast<int32_t>(range.min), -1);
    EXPECT_EQ(range.max, 40u);
    range = ParseRange("1.500000_to_3.750000,0.500000", TWTY_FIX32);
    EXPECT_EQ(range.min, Fix32Bits({1, 0}));
    EXPECT_EQ(range.max, Fix32Bits({3, 0}));
    EXPECT_EQ(range.step, Fix32Bits({0, 0}));
    range = ParseRange("5_to_10", TWTY_INT32);  // no step
    EXPECT_EQ(range.max, 10u);
    EXPECT_EQ(range.step, 0u);
    range = ParseRange("100", TWTY_INT32);
    EXPECT_EQ(range.min, 100u);
    EXPECT_EQ(range.max, 0u);
}

TEST(ValueText, ListsAndArrays) {
    const SymbolLookup units = Symbols({{"TWUN_INCHES", 0}, {"TWUN_PIXELS", 5}});
    ParsedList list = ParseListWith("[1,2,3]", true, TWTY_UINT16, units);
    EXPECT_EQ(Items(list), (std::vector<int32_t>{1, 2, 3}));
    list = ParseListWith("TWUN_INCHES,,TWUN_PIXELS,TWUN_MILES,7", false, TWTY_UINT16, units);
    EXPECT_EQ(Items(list), (std::vector<int32_t>{0, 5, 99, 7}));  // empty piece skipped, unknown symbol 99
    EXPECT_EQ(list.items[4], kUnusedListSlot);
    list = ParseListWith("[1,2", true, TWTY_UINT16, units);  // cut before its bracket: nothing more is lost
    EXPECT_EQ(Items(list), (std::vector<int32_t>{1, 2}));
    // Narrow types keep 16 bits; 32-bit types keep every bit; fixed-point items are parsed as one values.
    EXPECT_EQ(Items(ParseListWith("70000,-2", false, TWTY_UINT16, units)), (std::vector<int32_t>{4464, -2}));
    EXPECT_EQ(Items(ParseListWith("70000,-2", false, TWTY_INT32, units)), (std::vector<int32_t>{70000, -2}));
    EXPECT_EQ(Items(ParseListWith("417,835.9", false, TWTY_FIX32, units)), (std::vector<int32_t>{417, 835}));
}

TEST(ValueText, ListsLongerThanTheCapacityKeepTheFirstItems) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += std::to_string(i) + ",";
    const ParsedList list = ParseListWith(text.c_str(), false, TWTY_INT16, Symbols({}));
    ASSERT_EQ(list.count, kMaxListItems);
    EXPECT_EQ(list.items[kMaxListItems - 1], static_cast<int32_t>(kMaxListItems - 1));
    EXPECT_EQ(FindIndexIn(text.c_str(), "40"), 0u);  // beyond the kept items: no index past NumItems
    EXPECT_EQ(FindIndexIn(text.c_str(), "31"), 31u);
}

TEST(ValueText, FindIndexComparesTexts) {
    EXPECT_EQ(FindIndexIn("TWUN_INCHES,TWUN_CENTIMETERS,TWUN_PIXELS", "TWUN_PIXELS"), 2u);
    EXPECT_EQ(FindIndexIn("TWUN_INCHES,TWUN_CENTIMETERS,TWUN_PIXELS", "TWUN_POINTS"), 0u);
    EXPECT_EQ(FindIndexIn("1,,2,3", "3"), 2u);  // positions of the parsed list: empty pieces do not count
    EXPECT_EQ(FindIndexIn("417,835", "417.000000"), 0u);
}

TEST(ValueText, SymbolForNumberReadsASectionBlock) {
    const char section[] = "TWUN_INCHES=0\0TWUN_CENTIMETERS=1\0comment line\0TWUN_PIXELS=5\0";
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 5), "TWUN_PIXELS");
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 0), "TWUN_INCHES");
    EXPECT_EQ(SymbolForNumberIn(section, sizeof section, 3), "");
    EXPECT_EQ(SymbolForNumberIn("\0", 2, -12), "-12");
    const char longKey[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789=4\0";
    EXPECT_EQ(SymbolForNumberIn(longKey, sizeof longKey, 4), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
    const char unterminated[] = {'A', '=', '1'};  // a walker stops at the block's end
    EXPECT_EQ(SymbolForNumberIn(unterminated, sizeof unterminated, 2), "");
}

TEST(TextForms, WrittenTextsReadBackToTheSameValues) {
    EXPECT_EQ(Fix32Text(Fix32Bits({2, 32768})), "2.500000");
    EXPECT_EQ(RangeText(50, 1200, 10, TWTY_UINT16), "50_to_1200,10");
    EXPECT_EQ(RangeText(0xFFFFFFFFu, 40, 1, TWTY_INT16), "-1_to_40,1");
    EXPECT_EQ(RangeText(Fix32Bits({1, 32768}), Fix32Bits({3, 0}), Fix32Bits({0, 16384}), TWTY_FIX32),
              "1.500000_to_3.000000,0.250000");
    EXPECT_EQ(RangeValueText(Fix32Bits({-2, 0}), TWTY_FIX32), "-2.000000");
    EXPECT_EQ(ArrayText({1, -2, 300}), "[1,-2,300]");
    EXPECT_EQ(ListText({"TWUN_INCHES", "", "TWUN_PIXELS"}), "TWUN_INCHES,,TWUN_PIXELS");

    const ParsedRange range = ParseRange(RangeText(7, 70, 7, TWTY_INT32).c_str(), TWTY_INT32);
    EXPECT_EQ(range.min, 7u);
    EXPECT_EQ(range.max, 70u);
    EXPECT_EQ(range.step, 7u);
}

TEST(TextForms, ListTextsStayWithinWhatAReaderKeeps) {
    std::vector<std::string> pieces(40, "TWUN_CENTIMETERS");
    const std::string text = ListText(pieces);
    EXPECT_LT(text.size(), 512u);
    EXPECT_EQ(text.back(), 'S');  // whole pieces only
    std::vector<int32_t> numbers(40, -2000000000);
    const std::string array = ArrayText(numbers);
    EXPECT_LT(array.size(), 512u);
    EXPECT_EQ(array.back(), ']');
    EXPECT_EQ(ParseListWith(array.c_str(), true, TWTY_INT32, Symbols({})).items[0], -2000000000);
}

TEST(Containers, BlocksHaveTheStandardLayoutsAndSizes) {
    ContainerContent one;
    one.conType = TWON_ONEVALUE;
    one.itemType = TWTY_UINT16;
    one.item = 0x12345678;
    std::vector<uint8_t> bytes = EncodeContainer(one);
    ASSERT_EQ(bytes.size(), 6u);
    TW_ONEVALUE value;
    std::memcpy(&value, bytes.data(), 6);
    EXPECT_EQ(value.ItemType, TWTY_UINT16);
    EXPECT_EQ(value.Item, 0x12345678u);

    ContainerContent range;
    range.conType = TWON_RANGE;
    range.itemType = TWTY_INT32;
    range.range = {1, 2, 3};
    bytes = EncodeContainer(range);
    ASSERT_EQ(bytes.size(), 22u);
    TW_RANGE r;
    std::memcpy(&r, bytes.data(), 22);
    EXPECT_EQ(r.MinValue, 1u);
    EXPECT_EQ(r.MaxValue, 2u);
    EXPECT_EQ(r.StepSize, 3u);
    EXPECT_EQ(r.DefaultValue, 0u);
    EXPECT_EQ(r.CurrentValue, 0u);

    ContainerContent list;
    list.conType = TWON_ENUMERATION;
    list.itemType = TWTY_UINT8;
    list.list.items[0] = 0x1FF;  // one-byte items keep the low 8 bits
    list.list.items[1] = 7;
    list.list.count = 2;
    list.currentIndex = 1;
    list.defaultIndex = 0;
    bytes = EncodeContainer(list);
    ASSERT_EQ(bytes.size(), 14u + 2 * 1 + 1);
    EXPECT_EQ(bytes[14], 0xFF);
    EXPECT_EQ(bytes[15], 7);
    uint32_t current;
    std::memcpy(&current, bytes.data() + 6, 4);
    EXPECT_EQ(current, 1u);

    list.conType = TWON_ARRAY;
    list.itemType = TWTY_INT32;
    list.list.items[1] = -7;
    bytes = EncodeContainer(list);
    ASSERT_EQ(bytes.size(), 6u + 2 * 4 + 1);
    int32_t second;
    std::memcpy(&second, bytes.data() + 10, 4);
    EXPECT_EQ(second, -7);

    list.itemType = TWTY_FIX32;
    list.list.items[0] = static_cast<int32_t>(Fix32Bits({417, 0}));
    bytes = EncodeContainer(list);
    TW_FIX32 first;
    std::memcpy(&first, bytes.data() + 6, 4);
    EXPECT_EQ(first.Whole, 417);
}

TEST(Containers, TypesWithoutATextFormAndUnknownContainersPackNothing) {
    ContainerContent content;
    content.conType = TWON_ONEVALUE;
    for (TW_UINT16 type : {TWTY_FRAME, TWTY_STR32, TWTY_STR255, TW_UINT16(99)}) {
        content.itemType = type;
        EXPECT_TRUE(EncodeContainer(content).empty()) << type;
    }
    content.itemType = TWTY_UINT16;
    content.conType = 99;
    EXPECT_TRUE(EncodeContainer(content).empty());
}

TEST(Containers, ReceivedContainersAreCheckedAgainstTheirBlock) {
    const uint8_t one[6] = {TWTY_INT16, 0, 0xFE, 0xFF, 0, 0};
    auto received = DecodeContainer(TWON_ONEVALUE, one, sizeof one);
    ASSERT_TRUE(received);
    EXPECT_EQ(received->item, 0xFFFEu);
    EXPECT_FALSE(DecodeContainer(TWON_ONEVALUE, one, 5));
    EXPECT_FALSE(DecodeContainer(TWON_RANGE, one, sizeof one));
    EXPECT_FALSE(DecodeContainer(99, one, sizeof one));

    // An enumeration of INT8 items -1 and 5; then the same header claiming more items than the block holds.
    uint8_t list[17] = {TWTY_INT8, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 5, 0};
    received = DecodeContainer(TWON_ENUMERATION, list, sizeof list);
    ASSERT_TRUE(received);
    EXPECT_EQ(received->items, (std::vector<int32_t>{-1, 5}));
    list[2] = 4;
    EXPECT_FALSE(DecodeContainer(TWON_ENUMERATION, list, sizeof list));
    list[2] = list[3] = list[4] = list[5] = 0xFF;  // a count whose size would overflow
    EXPECT_FALSE(DecodeContainer(TWON_ENUMERATION, list, sizeof list));
    list[0] = TWTY_STR32;
    list[2] = 1;
    list[3] = list[4] = list[5] = 0;
    EXPECT_FALSE(DecodeContainer(TWON_ARRAY, list, sizeof list));
}

}  // namespace
