// The extended scan's crop area between the front end's millimetres and the scanner's grid.
//
// Millimetres are measured on the picture as the backend hands it out (standard scan, turned when asked),
// from its top left corner. The whole frame, 1792 x 1024 pixels of the extended grid, is 35 x 20 mm: one
// grid pixel is 35/1792 mm = 1280 SANE_Fixed units, and the grid's step of 4 pixels is 0.078125 mm, so every
// value a front end may set is exact in SANE_Fixed (1300 dpi extended, 650 standard, 81 index).
#pragma once

#include <sane/sane.h>

#include <cstdint>

namespace lx9::sane {

constexpr int kGridWidth = 1792;
constexpr int kGridHeight = 1024;
constexpr int kGridStep = 4;
constexpr SANE_Fixed kFixedPerGridPixel = 1280;
constexpr SANE_Fixed kFixedStep = kGridStep * kFixedPerGridPixel;

// Corners on the picture's extended grid: 0 <= x0 < x1 <= 1792, 0 <= y0 < y1 <= 1024, multiples of 4.
struct PictureRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

constexpr SANE_Fixed GridToFixed(int grid) {
    return grid * kFixedPerGridPixel;
}

// The nearest grid line (a multiple of 4) to a millimetre value; the caller has clamped it to its range.
int FixedToGrid(SANE_Fixed value);

// The rectangle to scan: false when the corners are out of order (no area). Over the area limit (grid
// pixels) it shrinks towards its top left corner, keeping its proportions, as the crop window pulls the
// dragged corner towards the anchor.
bool EffectiveRect(const PictureRect& asked, int64_t areaLimit, PictureRect* scanned);

// The session's crop (left, top, right, bottom on the scanner's readout grid) of a picture rectangle. The
// readout is the picture mirrored left to right, or upside down when the picture is turned; the unturned
// mirror is the crop window's, about x = 1796.
void SessionCrop(const PictureRect& rect, bool turn, int32_t crop[4]);

}  // namespace lx9::sane
