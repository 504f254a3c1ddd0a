#include "caps/capability_set.h"

#include "caps/capability_build.h"
#include "caps/container.h"
#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "caps/text_forms.h"
#include "caps/units.h"
#include "caps/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

namespace lx9 {
namespace {

constexpr std::size_t kPieceLength = 29;

bool IsWideInteger(TW_UINT16 itemType) {
    return itemType == TWTY_INT32 || itemType == TWTY_UINT32;
}

// Whether "Set" names a container whose number accepts(number) takes.
template <typename Accepts>
bool SetListsContainerWhere(const char* section, Accepts accepts) {
    const std::string list = ReadProfileText(SourceControlPath(), section, "Set", "", kSetListSize);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const std::string name = list.substr(start, end - start);
        if (!name.empty() && accepts(ContainerNumber(name.c_str()))) return true;
        start = end + 1;
    }
    return false;
}

bool SetListsContainer(const char* section, TW_UINT16 conType) {
    return SetListsContainerWhere(section, [conType](TW_UINT16 listed) { return listed == conType; });
}

std::optional<ReceivedContainer> ReadApplicationContainer(const TW_CAPABILITY& cap) {
    if (cap.hContainer == nullptr) return std::nullopt;
    const SIZE_T size = GlobalSize(cap.hContainer);
    const auto* block = static_cast<const uint8_t*>(GlobalLock(cap.hContainer));
    if (block == nullptr) return std::nullopt;
    std::optional<ReceivedContainer> received = DecodeContainer(cap.ConType, block, size);
    GlobalUnlock(cap.hContainer);
    return received;
}

// The value a one value is checked with: 16 bits as a rule, all 32 for the 32-bit integer types.
int32_t SetValue(const ReceivedContainer& received) {
    if (IsWideInteger(received.itemType)) return static_cast<int32_t>(received.item);
    return static_cast<int16_t>(received.item & 0xFFFFu);
}

bool SameValue(int32_t a, int32_t b, TW_UINT16 itemType) {
    return IsWideInteger(itemType) ? a == b : static_cast<int16_t>(a) == static_cast<int16_t>(b);
}

// Range check, then the value is brought down onto the step; a step of 0 leaves it as it is.
std::optional<std::string> CheckAgainstRange(const std::string& allowed, int32_t v, TW_UINT16 itemType) {
    const ParsedRange range = ParseRange(allowed.c_str(), TWTY_INT32);
    if (IsWideInteger(itemType)) {
        const auto min = static_cast<int32_t>(range.min), max = static_cast<int32_t>(range.max);
        const auto step = static_cast<int32_t>(range.step);
        if (v < min || v > max) return std::nullopt;
        if (step != 0 && static_cast<uint32_t>(v) % range.step != 0 && !(v == INT32_MIN && step == -1)) {
            v = v / step * step;
        }
    } else {
        const auto min = static_cast<int16_t>(range.min), max = static_cast<int16_t>(range.max);
        const auto step = static_cast<int16_t>(range.step);
        if (v < min || v > max) return std::nullopt;
        if (step != 0 && static_cast<uint32_t>(v) % range.step != 0)
            v = static_cast<int16_t>(v / step * step);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
    return std::string(text);
}

// The first piece of the list whose number is v, as its text (an array's brackets are not part of a piece).
std::optional<std::string> FindInList(const char* section, std::string_view allowed, int32_t v,
                                      TW_UINT16 itemType) {
    bool array = false;
    if (!allowed.empty() && allowed.front() == '[') {
        allowed.remove_prefix(1);
        array = true;
    }
    if (array && !allowed.empty() && allowed.back() == ']') allowed.remove_suffix(1);
    std::size_t start = 0;
    while (start <= allowed.size()) {
        std::size_t end = allowed.find(',', start);
        if (end == std::string_view::npos) end = allowed.size();
        const std::string piece(allowed.substr(start, std::min(end - start, kPieceLength)));
        if (!piece.empty()) {
            const int32_t number =
                IsSymbol(piece.c_str()) ? LookupSymbol(section, piece.c_str()) : ParseNumber(piece.c_str());
            if (SameValue(number, v, itemType)) return piece;
        }
        start = end + 1;
    }
    return std::nullopt;
}

TW_UINT16 SetOneValue(const char* section, const ReceivedContainer& received, std::string& setKey) {
    std::optional<std::string> current;
    if (received.itemType == TWTY_FIX32) {
        current = Fix32Text(received.item);  // fixed-point values are stored unchecked
    } else {
        const std::string allowed =
            ReadProfileText(SourceControlPath(), section, "Allowed", "NONE", kValueTextSize);
        const int32_t v = SetValue(received);
        current = allowed.find("to") != std::string::npos
                      ? CheckAgainstRange(allowed, v, received.itemType)
                      : FindInList(section, allowed, v, received.itemType);
        if (!current) return TWCC_BADVALUE;
    }
    if (!WriteSourceControlEntry(section, "Current", current->c_str())) return TWCC_BUMMER;
    setKey = "Current";
    return TWCC_SUCCESS;
}

// List items as numbers for the text forms: a fixed-point item by its whole part, which is what a read keeps.
int32_t ItemNumber(int32_t item, TW_UINT16 itemType) {
    return itemType == TWTY_FIX32 ? Fix32FromBits(static_cast<uint32_t>(item)).Whole : item;
}

TW_UINT16 SetList(const char* section, const ReceivedContainer& received, std::string& setKey) {
    std::string text;
    if (received.conType == TWON_ENUMERATION) {
        const std::string symbols = ReadProfileSection(InitialControlFilePath(), section, kSectionTextSize);
        std::vector<std::string> pieces;
        for (int32_t item : received.items) {
            pieces.push_back(
                SymbolForNumberIn(symbols.data(), symbols.size(), ItemNumber(item, received.itemType)));
        }
        text = ListText(pieces);
    } else {
        std::vector<int32_t> numbers;
        for (int32_t item : received.items) numbers.push_back(ItemNumber(item, received.itemType));
        text = ArrayText(numbers);
    }
    if (!WriteSourceControlEntry(section, "Allowed", text.c_str())) return TWCC_BUMMER;
    setKey = "Allowed";
    return TWCC_SUCCESS;
}

TW_UINT16 SetRange(const char* section, const ReceivedContainer& received, std::string& setKey) {
    const TW_RANGE& r = received.range;
    const bool written =
        WriteSourceControlEntry(section, "Current", RangeValueText(r.CurrentValue, r.ItemType).c_str()) &&
        WriteSourceControlEntry(section, "Default", RangeValueText(r.DefaultValue, r.ItemType).c_str()) &&
        WriteSourceControlEntry(section, "Allowed",
                                RangeText(r.MinValue, r.MaxValue, r.StepSize, r.ItemType).c_str());
    if (!written) return TWCC_BUMMER;
    setKey = "Allowed";
    return TWCC_SUCCESS;
}

bool SameFix32(uint32_t a, uint32_t b) {
    // An application that echoes a converted value may round it once more.
    return std::fabs(Fix32ToReal(Fix32FromBits(a)) - Fix32ToReal(Fix32FromBits(b))) <= 1.0 / 65536.0;
}

bool SameItem(uint32_t a, uint32_t b, TW_UINT16 itemType) {
    if (itemType == TWTY_FIX32) return SameFix32(a, b);
    if (ItemSize(itemType) == 4) return a == b;
    if (ItemSize(itemType) == 2) return (a & 0xFFFFu) == (b & 0xFFFFu);
    return (a & 0xFFu) == (b & 0xFFu);
}

bool SameContent(const ContainerContent& current, const ReceivedContainer& received) {
    if (received.conType != current.conType || received.itemType != current.itemType) return false;
    const TW_UINT16 type = current.itemType;
    switch (current.conType) {
        case TWON_ONEVALUE:
            return SameItem(received.item, current.item, type);
        case TWON_RANGE:
            return SameItem(received.range.MinValue, current.range.min, type) &&
                   SameItem(received.range.MaxValue, current.range.max, type) &&
                   SameItem(received.range.StepSize, current.range.step, type);
        default:
            if (received.items.size() != std::min<std::size_t>(current.list.count, kMaxListItems))
                return false;
            for (std::size_t i = 0; i < received.items.size(); ++i) {
                if (!SameItem(static_cast<uint32_t>(received.items[i]),
                              static_cast<uint32_t>(current.list.items[i]), type))
                    return false;
            }
            return true;
    }
}

}  // namespace

bool IsSettable(const char* section) {
    return SetListsContainerWhere(section, IsContainerType);
}

bool IsResettable(TW_UINT16 capNumber, const char* section) {
    const std::string file = SourceControlPath();
    const std::string containers = ReadProfileText(file, section, "Reset", "", kContainerTextSize);
    if (containers.substr(0, kShortTextSize - 1) == "TWCC_BADPROTOCOL") return false;
    // What the reply to a reset is built from once "Default" and "PowerON" have been copied.
    const char* source = containers == "TWON_ONEVALUE" ? "Default" : "PowerON";
    const std::string value = ReadProfileText(file, section, source, "", kValueTextSize);
    ContainerContent content;
    return ContentFor(capNumber, section, containers, value, content) == TWCC_SUCCESS;
}

bool HoldsCurrentValue(const char* section, const TW_CAPABILITY& cap) {
    const std::optional<ReceivedContainer> received = ReadApplicationContainer(cap);
    if (!received) return false;
    ContainerContent current;
    if (ReadCapability(cap.Cap, section, MSG_GETCURRENT, "", current) != TWCC_SUCCESS) return false;
    return SameContent(current, *received);
}

TW_UINT16 SetCapability(const char* section, const TW_CAPABILITY& cap, std::string& setKey) {
    if (!SetListsContainer(section, cap.ConType)) return TWCC_BADVALUE;
    std::optional<ReceivedContainer> received = ReadApplicationContainer(cap);
    if (!received) return TWCC_BADVALUE;
    // The application speaks the current unit; the files keep inches.
    if (!ConvertFromCurrentUnit(cap.Cap, *received)) return TWCC_BADVALUE;
    switch (received->conType) {
        case TWON_ONEVALUE:
            return SetOneValue(section, *received, setKey);
        case TWON_RANGE:
            return SetRange(section, *received, setKey);
        default:
            return SetList(section, *received, setKey);
    }
}

TW_UINT16 ResetCapability(const char* section) {
    const std::string file = SourceControlPath();
    if (ReadProfileText(file, section, "Reset", "", kShortTextSize) == "TWCC_BADPROTOCOL")
        return TWCC_BADPROTOCOL;
    // Read with the size of "Allowed" itself: a shorter read would cut a long power-on list.
    const std::string powerOn = ReadProfileText(file, section, "PowerON", "", kValueTextSize);
    const std::string defaultValue = ReadProfileText(file, section, "Default", "", kValueTextSize);
    if (!WriteSourceControlEntry(section, "Allowed", powerOn.c_str()) ||
        !WriteSourceControlEntry(section, "Current", defaultValue.c_str())) {
        return TWCC_BUMMER;
    }
    return TWCC_SUCCESS;
}

}  // namespace lx9
