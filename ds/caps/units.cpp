#include "caps/units.h"

#include "caps/capability_build.h"
#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "caps/value_text.h"

#include <cmath>

namespace lx9 {
namespace {

constexpr double kCentimetresPerInch = 2.54;

struct DistanceCapability {
    TW_UINT16 cap;
    Distance kind;
    TW_UINT16 resolution;  // the resolution that counts a length's pixels
};

constexpr DistanceCapability kDistances[] = {
    {ICAP_PHYSICALWIDTH, Distance::Length, ICAP_XRESOLUTION},
    {ICAP_PHYSICALHEIGHT, Distance::Length, ICAP_YRESOLUTION},
    {ICAP_MINIMUMWIDTH, Distance::Length, ICAP_XRESOLUTION},
    {ICAP_MINIMUMHEIGHT, Distance::Length, ICAP_YRESOLUTION},
    {ICAP_XRESOLUTION, Distance::PerLength, 0},
    {ICAP_YRESOLUTION, Distance::PerLength, 0},
    {ICAP_XNATIVERESOLUTION, Distance::PerLength, 0},
    {ICAP_YNATIVERESOLUTION, Distance::PerLength, 0},
};

const DistanceCapability* FindDistance(TW_UINT16 cap) {
    for (const DistanceCapability& d : kDistances)
        if (d.cap == cap) return &d;
    return nullptr;
}

// The current per-inch resolution of a capability, as the files keep it.
std::optional<double> PixelsPerInch(TW_UINT16 resolutionCap) {
    const std::string section = SectionForCapability(resolutionCap);
    if (section == "NONE") return std::nullopt;
    const std::string current =
        ReadProfileText(SourceControlPath(), section.c_str(), "Current", "NONE", kValueTextSize);
    if (current == "NONE") return std::nullopt;
    return Fix32ToReal(Fix32FromBits(ParseItem(current.c_str(), TWTY_FIX32, section.c_str())));
}

bool ConvertItem(uint32_t& bits, Distance kind, TW_UINT16 unit, double pixelsPerInch) {
    const std::optional<double> value = InUnit(Fix32ToReal(Fix32FromBits(bits)), kind, unit, pixelsPerInch);
    if (!value) return false;
    bits = Fix32Bits(RealToFix32(*value));
    return true;
}

}  // namespace

std::optional<TW_UINT16> CurrentUnit() {
    const std::string name =
        ReadProfileText(SourceControlPath(), "ICAP_UNITS", "Current", "NONE", kShortTextSize);
    if (name == "NONE") return std::nullopt;
    const int32_t unit = ReadProfileInt(InitialControlFilePath(), "ICAP_UNITS", name.c_str(), -1);
    if (unit != TWUN_INCHES && unit != TWUN_CENTIMETERS && unit != TWUN_PIXELS) return std::nullopt;
    return static_cast<TW_UINT16>(unit);
}

std::optional<double> InUnit(double fileValue, Distance kind, TW_UINT16 unit, double pixelsPerInch) {
    switch (unit) {
        case TWUN_INCHES:
            return fileValue;
        case TWUN_CENTIMETERS:
            return kind == Distance::Length ? fileValue * kCentimetresPerInch
                                            : fileValue / kCentimetresPerInch;
        case TWUN_PIXELS:
            return kind == Distance::Length ? fileValue * pixelsPerInch : 1.0;
        default:
            return std::nullopt;
    }
}

TW_FIX32 RealToFix32(double value) {
    constexpr double kLimit = 32767.0 + 65535.0 / 65536.0;
    if (!(value >= -32768.0)) value = -32768.0;  // also a value that is not a number
    if (value > kLimit) value = kLimit;
    const auto bits = static_cast<int32_t>(std::lround(value * 65536.0));
    return TW_FIX32{static_cast<TW_INT16>(bits >> 16), static_cast<TW_UINT16>(bits & 0xFFFF)};
}

bool IsDistanceCapability(TW_UINT16 cap) {
    return FindDistance(cap) != nullptr;
}

bool ConvertToCurrentUnit(TW_UINT16 cap, ContainerContent& content) {
    const DistanceCapability* distance = FindDistance(cap);
    if (distance == nullptr || content.itemType != TWTY_FIX32) return true;
    const std::optional<TW_UINT16> unit = CurrentUnit();
    if (!unit) return false;
    if (*unit == TWUN_INCHES) return true;
    double pixelsPerInch = 0;
    if (*unit == TWUN_PIXELS && distance->kind == Distance::Length) {
        const std::optional<double> resolution = PixelsPerInch(distance->resolution);
        if (!resolution) return false;
        pixelsPerInch = *resolution;
    }
    const auto convert = [&](uint32_t& bits) {
        return ConvertItem(bits, distance->kind, *unit, pixelsPerInch);
    };
    switch (content.conType) {
        case TWON_ONEVALUE:
            return convert(content.item);
        case TWON_RANGE:
            return convert(content.range.min) && convert(content.range.max) && convert(content.range.step);
        default:
            for (uint32_t i = 0; i < content.list.count && i < kMaxListItems; ++i) {
                auto bits = static_cast<uint32_t>(content.list.items[i]);
                if (!convert(bits)) return false;
                content.list.items[i] = static_cast<int32_t>(bits);
            }
            return true;
    }
}

}  // namespace lx9
