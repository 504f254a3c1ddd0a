// ICAP_UNITS and the distances that follow it: the control files keep every distance in inches (a length) or
// per inch (a resolution); an application is told them in the current unit.
#pragma once

#include "caps/container.h"
#include "lx9twain.h"

#include <optional>

namespace lx9 {

enum class Distance {
    Length,     // inches in the files
    PerLength,  // per inch in the files
};

// The current unit: "Current" of "ICAP_UNITS" through the unit symbols of the initial-control file. Nothing
// when the files name none, or a unit the source does not measure in (inches, centimetres and pixels only).
std::optional<TW_UINT16> CurrentUnit();

// A value of the files in unit. A length in pixels counts the pixels at pixelsPerInch; a resolution in pixels
// is one pixel per pixel. Nothing for a unit the source does not measure in.
std::optional<double> InUnit(double fileValue, Distance kind, TW_UINT16 unit, double pixelsPerInch);

// The inverse: a value in unit as the files keep it. Nothing for a unit the source does not measure in, and
// for a resolution in pixels (one pixel per pixel says nothing about inches).
std::optional<double> FromUnit(double unitValue, Distance kind, TW_UINT16 unit, double pixelsPerInch);

// To the nearest 1/65536 (Frac is never negative: -0.25 is Whole -1, Frac 0xC000), held within TW_FIX32.
TW_FIX32 RealToFix32(double value);

// Whether cap is one of the distance-valued capabilities.
bool IsDistanceCapability(TW_UINT16 cap);

// The TWTY_FIX32 items of a distance-valued capability's content, from the files' inches into the current
// unit (every item of a list or range); other capabilities and item types stay as they are. False when the
// current unit, or for a length in pixels the resolution it needs, cannot be read.
bool ConvertToCurrentUnit(TW_UINT16 cap, ContainerContent& content);

// The TWTY_FIX32 items of an application's container for a distance-valued capability, from the current unit
// into the files' inches. False when the value cannot be told in inches (see FromUnit, CurrentUnit).
bool ConvertFromCurrentUnit(TW_UINT16 cap, ReceivedContainer& received);

}  // namespace lx9
