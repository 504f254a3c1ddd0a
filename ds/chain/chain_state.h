// State the frame processing chain keeps or reads between frames.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>

namespace lx9 {

// Left, top, right, bottom: the data source's RECT, and the same four 32-bit values elsewhere.
#ifdef _WIN32
using CropRect = RECT;
#else
struct CropRect {
    int32_t left, top, right, bottom;
};
#endif

// The rectangle of the final scan, in scan units: |right - left| readout lines of |bottom - top| samples.
// A standard scan uses (0, 0, 896, 512); the extended grid is 1792 x 1024.
extern CropRect cropRect;

// The UP_DOWN state: index and final images are turned by 180 degrees.
extern int32_t rotate180;

// Last tone index and black offsets (red, green, blue) of a negative measurement, kept so that an extended
// scan reuses those of the standard preview made just before it. 0 and 0, 0, 0 at start-up.
extern int16_t toneIndex;
extern int16_t shiftOffsets[3];

}  // namespace lx9
