#include "cap_value.h"

#include "twain_names.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lx9::acquire {
namespace {

struct Limits {
    int64_t min;
    int64_t max;
};

bool IntegerLimits(TW_UINT16 itemType, Limits& limits) {
    switch (itemType) {
        case TWTY_INT8:
            limits = {-128, 127};
            return true;
        case TWTY_UINT8:
            limits = {0, 255};
            return true;
        case TWTY_INT16:
            limits = {-32768, 32767};
            return true;
        case TWTY_UINT16:
            limits = {0, 65535};
            return true;
        case TWTY_BOOL:
            limits = {0, 1};
            return true;
        case TWTY_INT32:
            limits = {INT32_MIN, INT32_MAX};
            return true;
        case TWTY_UINT32:
            limits = {0, UINT32_MAX};
            return true;
        default:
            return false;
    }
}

bool ParseInteger(const std::string& text, int64_t& value) {
    if (auto constant = ConstantFromName(text)) {
        value = *constant;
        return true;
    }
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return *end == '\0';
}

// TWAIN's own rounding: value x 65536, rounded, split into the whole and fractional halves.
bool ParseFix32(const std::string& text, TW_UINT32& item) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(value >= -32768.0 && value < 32768.0)) return false;
    const auto scaled = static_cast<int32_t>(std::floor(value * 65536.0 + 0.5));
    TW_FIX32 fix{static_cast<TW_INT16>(scaled >> 16), static_cast<TW_UINT16>(scaled & 0xFFFF)};
    std::memcpy(&item, &fix, sizeof(fix));
    return true;
}

std::string Fix32Text(TW_FIX32 fix) {
    const double value = fix.Whole + fix.Frac / 65536.0;
    char text[32];
    if (fix.Frac == 0) {
        std::snprintf(text, sizeof(text), "%d", fix.Whole);
    } else {
        std::snprintf(text, sizeof(text), "%.4f", value);
        char* last = text + std::strlen(text) - 1;
        while (*last == '0') *last-- = '\0';
    }
    return text;
}

TW_FIX32 Fix32At(const uint8_t* bytes) {
    TW_FIX32 fix;
    std::memcpy(&fix, bytes, sizeof(fix));
    return fix;
}

std::string NumberOrConstant(TW_UINT16 cap, int64_t value) {
    std::string name = ConstantForValue(cap, value);
    return name.empty() ? std::to_string(value) : name;
}

template <typename T>
int64_t ValueAt(const uint8_t* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
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
        case TWTY_FRAME:
            return sizeof(TW_FRAME);
        case TWTY_STR32:
            return sizeof(TW_STR32);
        case TWTY_STR64:
            return sizeof(TW_STR64);
        case TWTY_STR128:
            return sizeof(TW_STR128);
        case TWTY_STR255:
            return sizeof(TW_STR255);
        default:
            return 0;
    }
}

bool ParseItemValue(const std::string& text, TW_UINT16 itemType, TW_UINT32& item, std::string& error) {
    if (itemType == TWTY_FIX32) {
        if (ParseFix32(text, item)) return true;
        error = "\"" + text + "\" is not a number for TWTY_FIX32";
        return false;
    }
    Limits limits{};
    if (!IntegerLimits(itemType, limits)) {
        error = "values of type " + ItemTypeName(itemType) + " cannot be set from the command line";
        return false;
    }
    int64_t value = 0;
    if (!ParseInteger(text, value)) {
        error = "\"" + text + "\" is neither a number nor a known constant";
        return false;
    }
    if (value < limits.min || value > limits.max) {
        error = text + " is out of range for " + ItemTypeName(itemType);
        return false;
    }
    // Narrow items sit in the low bytes of the 32-bit Item, as TWAIN lays them out.
    item = static_cast<TW_UINT32>(value);
    if (ItemSize(itemType) == 1) item &= 0xFF;
    if (ItemSize(itemType) == 2) item &= 0xFFFF;
    return true;
}

std::string FormatItem(TW_UINT16 cap, TW_UINT16 itemType, const uint8_t* bytes) {
    switch (itemType) {
        case TWTY_INT8:
            return NumberOrConstant(cap, ValueAt<int8_t>(bytes));
        case TWTY_UINT8:
            return NumberOrConstant(cap, ValueAt<uint8_t>(bytes));
        case TWTY_INT16:
            return NumberOrConstant(cap, ValueAt<int16_t>(bytes));
        case TWTY_UINT16:
            return NumberOrConstant(cap, ValueAt<uint16_t>(bytes));
        case TWTY_INT32:
            return NumberOrConstant(cap, ValueAt<int32_t>(bytes));
        case TWTY_UINT32:
            return NumberOrConstant(cap, ValueAt<uint32_t>(bytes));
        case TWTY_BOOL:
            return ValueAt<uint16_t>(bytes) ? "TRUE" : "FALSE";
        case TWTY_FIX32:
            return Fix32Text(Fix32At(bytes));
        case TWTY_FRAME: {
            // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal plus a
            // temporary string.
            std::string text(1, '(');
            for (int i = 0; i < 4; ++i) {
                if (i) text += ',';
                text += Fix32Text(Fix32At(bytes + 4 * i));
            }
            text += ')';
            return text;
        }
        case TWTY_STR32:
        case TWTY_STR64:
        case TWTY_STR128:
        case TWTY_STR255: {
            const std::size_t size = ItemSize(itemType);
            const auto* text = reinterpret_cast<const char*>(bytes);
            std::string quoted(1, '"');
            quoted.append(text, strnlen(text, size));
            quoted += '"';
            return quoted;
        }
        default:
            return "?";
    }
}

std::string FormatRangeValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof(bytes));
    if (ItemSize(itemType) == 0 || ItemSize(itemType) > 4) return std::to_string(value);
    return FormatItem(cap, itemType, bytes);
}

}  // namespace lx9::acquire
