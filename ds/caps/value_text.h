// Value texts of the control files and their conversions to numbers, fixed-point values and lists. The
// *In/*From forms are pure; the others read the control files through the profile functions.
#pragma once

#include "lx9twain.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace lx9 {

// Most items a parsed list keeps; further items are ignored.
constexpr std::size_t kMaxListItems = 32;
constexpr int16_t kUnusedListSlot = 99;
constexpr int32_t kUnknownSymbol = 99;

struct ParsedRange {
    uint32_t min = 0;
    uint32_t max = 0;
    uint32_t step = 0;
};

struct ParsedList {
    int32_t items[kMaxListItems];
    uint32_t count = 0;
    ParsedList() {
        for (auto& item : items) item = kUnusedListSlot;
    }
};

// Translates a symbolic value name to its number (kUnknownSymbol when there is none).
using SymbolLookup = std::function<int32_t(const char* name)>;

// Decimal integer: leading blanks, optional sign, digits up to the first non-digit; no digits gives 0.
int32_t ParseNumber(const char* text);

// Through single precision and "%f": Whole is the integer part (toward zero), Frac is always 0.
TW_FIX32 TextToFix32(const char* text);
double Fix32ToReal(TW_FIX32 value);

// The 32-bit container item of a fixed-point value and back (Whole in the low half).
uint32_t Fix32Bits(TW_FIX32 value);
TW_FIX32 Fix32FromBits(uint32_t bits);

// A text whose first character is a letter names a symbol.
bool IsSymbol(const char* text);

// One value: a symbol through lookup, else a fixed-point value for TWTY_FIX32, else a number.
uint32_t ParseItemWith(const char* text, TW_UINT16 itemType, const SymbolLookup& lookup);

// "min_to_max,step" ("%.6f" pieces for TWTY_FIX32); missing pieces read as 0.
ParsedRange ParseRange(const char* text, TW_UINT16 itemType);

// Items separated by ",", empty pieces skipped; an array text loses its "[" and its last character first.
// Items are kept as 16-bit values, except for the 32-bit types (TWTY_INT32, TWTY_UINT32, TWTY_FIX32), whose
// items are parsed like one values and keep all 32 bits.
ParsedList ParseListWith(const char* text, bool isArray, TW_UINT16 itemType, const SymbolLookup& lookup);

// Position of the first list piece equal to value, or 0 when none is (or it lies beyond kMaxListItems).
uint32_t FindIndexIn(const char* allowed, const char* value);

// The first key of a profile section ("key=value\0...\0\0") whose value is number; the number itself
// ("%ld") when the section is empty; the empty text when no key matches.
std::string SymbolForNumberIn(const char* sectionText, std::size_t sectionSize, int32_t number);

// File-backed forms (initial-control file for symbols, source-control file for FindIndex).
int32_t LookupSymbol(const char* section, const char* name);
uint32_t ParseItem(const char* text, TW_UINT16 itemType, const char* section);
ParsedList ParseList(const char* text, bool isArray, TW_UINT16 itemType, const char* section);
uint32_t FindIndex(const char* section, const char* which);
std::string SymbolForNumber(const char* section, int32_t number);

}  // namespace lx9
