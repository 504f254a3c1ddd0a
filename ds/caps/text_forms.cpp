#include "caps/text_forms.h"

#include "caps/profile_io.h"
#include "caps/value_text.h"

#include <cstdio>

namespace lx9 {
namespace {

std::string Printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Printed(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

std::string Joined(const std::vector<std::string>& pieces, std::size_t room) {
    std::string text;
    std::size_t kept = 0;
    for (const std::string& piece : pieces) {
        const std::size_t added = piece.size() + (kept > 0 ? 1 : 0);
        if (kept == kMaxListItems || text.size() + added > room) break;
        if (kept > 0) text += ',';
        text += piece;
        ++kept;
    }
    return text;
}

}  // namespace

std::string Fix32Text(uint32_t bits) {
    return Printed("%.6f", Fix32ToReal(Fix32FromBits(bits)));
}

std::string RangeValueText(uint32_t value, TW_UINT16 itemType) {
    return itemType == TWTY_FIX32 ? Fix32Text(value)
                                  : Printed(static_cast<long>(static_cast<int32_t>(value)));
}

std::string RangeText(uint32_t min, uint32_t max, uint32_t step, TW_UINT16 itemType) {
    return RangeValueText(min, itemType) + "_to_" + RangeValueText(max, itemType) + "," +
           RangeValueText(step, itemType);
}

std::string ListText(const std::vector<std::string>& pieces) {
    return Joined(pieces, kValueTextSize - 1);
}

std::string ArrayText(const std::vector<int32_t>& items) {
    std::vector<std::string> pieces;
    pieces.reserve(items.size());
    for (int32_t item : items) pieces.push_back(Printed(static_cast<long>(item)));
    // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal plus a temporary
    // string.
    std::string text(1, '[');
    text += Joined(pieces, kValueTextSize - 3);
    text += ']';
    return text;
}

}  // namespace lx9
