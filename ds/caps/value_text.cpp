#include "caps/value_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace lx9 {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsWideInteger(TW_UINT16 itemType) {
    return itemType == TWTY_INT32 || itemType == TWTY_UINT32;
}

// Calls piece(text) for each ","-separated piece that is not empty; stops when piece returns false.
template <typename Piece>
void ForEachPiece(std::string_view text, Piece piece) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start && !piece(std::string(text.substr(start, end - start)))) return;
        start = end + 1;
    }
}

}  // namespace

int32_t ParseNumber(const char* text) {
    if (text == nullptr) return 0;
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    uint32_t value = 0;  // wraps beyond 32 bits, so unsigned texts such as 4294967295 come back bit for bit
    while (IsDigit(*text)) value = value * 10u + static_cast<uint32_t>(*text++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

TW_FIX32 TextToFix32(const char* text) {
    double real = text != nullptr ? std::strtod(text, nullptr) : 0.0;
    TW_FIX32 result{0, 0};
    if (!std::isfinite(real)) return result;
    if (real > FLT_MAX) real = FLT_MAX;  // narrowing an out-of-range double is undefined
    if (real < -FLT_MAX) real = -FLT_MAX;
    char printed[64];
    std::snprintf(printed, sizeof printed, "%f", static_cast<double>(static_cast<float>(real)));
    result.Whole = static_cast<TW_INT16>(ParseNumber(printed));
    return result;
}

double Fix32ToReal(TW_FIX32 value) {
    return value.Whole + value.Frac / 65536.0;
}

uint32_t Fix32Bits(TW_FIX32 value) {
    return static_cast<uint32_t>(static_cast<uint16_t>(value.Whole)) |
           (static_cast<uint32_t>(value.Frac) << 16);
}

TW_FIX32 Fix32FromBits(uint32_t bits) {
    return TW_FIX32{static_cast<TW_INT16>(bits & 0xFFFFu), static_cast<TW_UINT16>(bits >> 16)};
}

bool IsSymbol(const char* text) {
    return text != nullptr && ((*text >= 'A' && *text <= 'Z') || (*text >= 'a' && *text <= 'z'));
}

uint32_t ParseItemWith(const char* text, TW_UINT16 itemType, const SymbolLookup& lookup) {
    if (IsSymbol(text)) return static_cast<uint32_t>(lookup(text));
    if (itemType == TWTY_FIX32) return Fix32Bits(TextToFix32(text));
    return static_cast<uint32_t>(ParseNumber(text));
}

ParsedRange ParseRange(const char* text, TW_UINT16 itemType) {
    const std::string_view all = text != nullptr ? text : "";
    const auto convert = [itemType](std::string_view piece) {
        const std::string owned(piece);
        return itemType == TWTY_FIX32 ? Fix32Bits(TextToFix32(owned.c_str()))
                                      : static_cast<uint32_t>(ParseNumber(owned.c_str()));
    };
    ParsedRange range;
    range.min = convert(all.substr(0, all.find('_')));
    const std::size_t to = all.find("to_");
    if (to != std::string_view::npos) {
        const std::string_view rest = all.substr(to + 3);
        range.max = convert(rest.substr(0, rest.find(',')));
    }
    const std::size_t comma = all.find(',');
    if (comma != std::string_view::npos) range.step = convert(all.substr(comma + 1));
    return range;
}

ParsedList ParseListWith(const char* text, bool isArray, TW_UINT16 itemType, const SymbolLookup& lookup) {
    std::string_view body = text != nullptr ? text : "";
    if (isArray) {
        if (!body.empty() && body.front() == '[') body.remove_prefix(1);
        if (!body.empty() && body.back() == ']') body.remove_suffix(1);
    }
    ParsedList list;
    ForEachPiece(body, [&](const std::string& piece) {
        if (list.count == kMaxListItems) return false;  // further items are ignored
        int32_t value;
        if (IsWideInteger(itemType) || itemType == TWTY_FIX32) {
            value = static_cast<int32_t>(ParseItemWith(piece.c_str(), itemType, lookup));
        } else {
            const int32_t number =
                IsSymbol(piece.c_str()) ? lookup(piece.c_str()) : ParseNumber(piece.c_str());
            value = static_cast<int16_t>(number);
        }
        list.items[list.count++] = value;
        return true;
    });
    return list;
}

uint32_t FindIndexIn(const char* allowed, const char* value) {
    const std::string wanted = value != nullptr ? value : "";
    uint32_t position = 0;
    uint32_t found = 0;
    ForEachPiece(allowed != nullptr ? allowed : "", [&](const std::string& piece) {
        if (position == kMaxListItems) return false;  // an index past the kept items would point nowhere
        if (piece == wanted) {
            found = position;
            return false;
        }
        ++position;
        return true;
    });
    return found;
}

std::string SymbolForNumberIn(const char* sectionText, std::size_t sectionSize, int32_t number) {
    if (sectionText == nullptr || sectionSize == 0 || sectionText[0] == '\0') {
        char printed[16];
        std::snprintf(printed, sizeof printed, "%ld", static_cast<long>(number));
        return printed;
    }
    std::size_t at = 0;
    while (at < sectionSize && sectionText[at] != '\0') {
        const std::size_t length = strnlen(sectionText + at, sectionSize - at);
        const std::string_view entry(sectionText + at, length);
        const std::size_t equals = entry.find('=');
        if (equals != std::string_view::npos) {
            const std::string value(entry.substr(equals + 1));
            if (ParseNumber(value.c_str()) == number)
                return std::string(entry.substr(0, std::min<std::size_t>(equals, 29)));
        }
        at += length + 1;
    }
    return {};
}

}  // namespace lx9
