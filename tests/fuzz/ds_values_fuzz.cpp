// The data source's value texts, as a user or an installer may have left them in the control files: numbers,
// fixed-point values, ranges, lists and arrays, the allowed-value lists searched by FindIndex and the symbol
// sections. Checked: the parsers read only the text (an exact copy with its terminator), keep at most
// kMaxListItems items, and what the source writes back with MSG_SET reads back as the same values.
//
// Input: byte 0 the item type, byte 1 bit 0 array form, bytes 2-5 a number to look up, then the text (the
// rest, also used as a profile section).
#include <cstring>

#include "caps/container.h"
#include "caps/profile_io.h"
#include "caps/text_forms.h"
#include "caps/value_text.h"
#include "fuzz_input.h"

namespace {

using lx9fuzz::ExactBuffer;

const TW_UINT16 kTypes[] = {TWTY_INT8,   TWTY_INT16, TWTY_INT32, TWTY_UINT8, TWTY_UINT16,
                            TWTY_UINT32, TWTY_BOOL,  TWTY_FIX32, TWTY_FRAME, TWTY_STR32};

// Symbols resolve to numbers of the name's length, an unknown one to kUnknownSymbol.
int32_t Lookup(const char* name) {
    const size_t n = std::strlen(name);
    return n % 5 == 0 ? lx9::kUnknownSymbol : static_cast<int32_t>(n * 1000 - 7);
}

void CheckRange(const char* text, TW_UINT16 type) {
    const lx9::ParsedRange r = lx9::ParseRange(text, type);
    const std::string written = lx9::RangeText(r.min, r.max, r.step, type);
    const lx9::ParsedRange back = lx9::ParseRange(written.c_str(), type);
    LX9_FUZZ_CHECK(back.min == r.min && back.max == r.max && back.step == r.step);
}

void CheckList(const char* text, bool isArray, TW_UINT16 type) {
    const lx9::ParsedList list = lx9::ParseListWith(text, isArray, type, Lookup);
    LX9_FUZZ_CHECK(list.count <= lx9::kMaxListItems);
    for (uint32_t i = list.count; i < lx9::kMaxListItems; ++i)
        LX9_FUZZ_CHECK(list.items[i] == lx9::kUnusedListSlot);
    // Written back the way MSG_SET writes an array (a fixed-point item by its whole part), the items that fit
    // read back unchanged.
    std::vector<int32_t> numbers;
    for (uint32_t i = 0; i < list.count; ++i) {
        const int32_t item = list.items[i];
        numbers.push_back(type == TWTY_FIX32 ? lx9::Fix32FromBits(static_cast<uint32_t>(item)).Whole : item);
    }
    const std::string written = lx9::ArrayText(numbers);
    LX9_FUZZ_CHECK(written.size() < lx9::kValueTextSize);
    const lx9::ParsedList back = lx9::ParseListWith(written.c_str(), true, type, Lookup);
    LX9_FUZZ_CHECK(back.count <= list.count);
    for (uint32_t i = 0; i < back.count; ++i) {
        const int32_t expected =
            type == TWTY_FIX32 ? static_cast<int32_t>(lx9::Fix32Bits({static_cast<TW_INT16>(numbers[i]), 0}))
                               : list.items[i];
        LX9_FUZZ_CHECK(back.items[i] == expected);
    }
    // So does a one value, item by item.
    for (uint32_t i = 0; i < list.count && i < 4; ++i) {
        const std::string one = lx9::RangeValueText(static_cast<uint32_t>(list.items[i]), type);
        // A fixed-point text keeps the whole part only: exact for items without a fraction.
        const bool exact =
            type == TWTY_INT32 || type == TWTY_UINT32 ||
            (type == TWTY_FIX32 && lx9::Fix32FromBits(static_cast<uint32_t>(list.items[i])).Frac == 0);
        if (exact)
            LX9_FUZZ_CHECK(lx9::ParseItemWith(one.c_str(), type, Lookup) ==
                           static_cast<uint32_t>(list.items[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const TW_UINT16 type = kTypes[data[0] % std::size(kTypes)];
    const bool isArray = (data[1] & 1) != 0;
    int32_t number;
    std::memcpy(&number, data + 2, 4);
    const size_t n = std::min<size_t>(size - 6, 4096);
    // The text as a profile read leaves it: terminated, and no longer than the read buffer.
    ExactBuffer text(n + 1, {data + 6, n});
    text.data()[n] = '\0';
    const char* t = text.as<const char>();

    lx9::ParseNumber(t);
    const TW_FIX32 fix = lx9::TextToFix32(t);
    LX9_FUZZ_CHECK(fix.Frac == 0);
    LX9_FUZZ_CHECK(lx9::Fix32FromBits(lx9::Fix32Bits(fix)).Whole == fix.Whole);
    const uint32_t item = lx9::ParseItemWith(t, type, Lookup);
    if (type == TWTY_FIX32 && !lx9::IsSymbol(t)) LX9_FUZZ_CHECK(item >> 16 == 0);
    CheckRange(t, type);
    CheckList(t, isArray, type);

    // FindIndex: the position of an equal piece among the kept items, or 0.
    const std::string wanted(t, strnlen(t, 12));
    const uint32_t at = lx9::FindIndexIn(t, wanted.c_str());
    LX9_FUZZ_CHECK(at < lx9::kMaxListItems);

    // The text as a symbol section, as GetPrivateProfileSection may cut it: not always double-terminated.
    ExactBuffer section(n, {data + 6, n});
    const std::string symbol = lx9::SymbolForNumberIn(section.as<const char>(), section.size(), number);
    LX9_FUZZ_CHECK(symbol.size() <= 29 || (n == 0 || data[6] == '\0'));
    lx9::Fix32Text(number);
    return 0;
}
