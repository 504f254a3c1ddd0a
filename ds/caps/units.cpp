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

using Conversion = std::optional<double> (*)(double, Distance, TW_UINT16, double);

bool ConvertItem(uint32_t& bits, Conversion conversion, Distance kind, TW_UINT16 unit, double pixelsPerInch) {
    const std::optional<double> value =
        conversion(Fix32ToReal(Fix32FromBits(bits)), kind, unit, pixelsPerInch);
    if (!value) return false;
    bits = Fix32Bits(RealToFix32(*value));
    return true;
}

// The unit and, for a length in pixels, the resolution that counts them; false when either cannot be read.
bool UnitFor(const DistanceCapability& distance, TW_UINT16& unit, double& pixelsPerInch) {
    const std::optional<TW_UINT16> current = CurrentUnit();
    if (!current) return false;
    unit = *current;
    pixelsPerInch = 0;
    if (unit == TWUN_PIXELS && distance.kind == Distance::Length) {
        const std::optional<double> resolution = PixelsPerInch(distance.resolution);
        if (!resolution || *resolution <= 0) return false;
        pixelsPerInch = *resolution;
    }
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

std::optional<double> FromUnit(double unitValue, Distance kind, TW_UINT16 unit, double pixelsPerInch) {
    switch (unit) {
        case TWUN_INCHES:
            return unitValue;
        case TWUN_CENTIMETERS:
            return kind == Distance::Length ? unitValue / kCentimetresPerInch
                                            : unitValue * kCentimetresPerInch;
        case TWUN_PIXELS:
            if (kind == Distance::PerLength || pixelsPerInch <= 0) return std::nullopt;
            return unitValue / pixelsPerInch;
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
    TW_UINT16 unit = 0;
    double pixelsPerInch = 0;
    if (!UnitFor(*distance, unit, pixelsPerInch)) return false;
    if (unit == TWUN_INCHES) return true;
    const auto convert = [&](uint32_t& bits) {
        return ConvertItem(bits, InUnit, distance->kind, unit, pixelsPerInch);
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

bool ConvertFromCurrentUnit(TW_UINT16 cap, ReceivedContainer& received) {
    const DistanceCapability* distance = FindDistance(cap);
    if (distance == nullptr || received.itemType != TWTY_FIX32) return true;
    TW_UINT16 unit = 0;
    double pixelsPerInch = 0;
    if (!UnitFor(*distance, unit, pixelsPerInch)) return false;
    if (unit == TWUN_INCHES) return true;
    const auto convert = [&](uint32_t& bits) {
        return ConvertItem(bits, FromUnit, distance->kind, unit, pixelsPerInch);
    };
    switch (received.conType) {
        case TWON_ONEVALUE:
            return convert(received.item);
        case TWON_RANGE: {
            TW_RANGE& r = received.range;
            return convert(r.MinValue) && convert(r.MaxValue) && convert(r.StepSize) &&
                   convert(r.DefaultValue) && convert(r.CurrentValue);
        }
        default:
            for (int32_t& item : received.items) {
                auto bits = static_cast<uint32_t>(item);
                if (!convert(bits)) return false;
                item = static_cast<int32_t>(bits);
            }
            return true;
    }
}

}  // namespace lx9
