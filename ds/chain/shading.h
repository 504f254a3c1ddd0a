// The shading correction of a frame's raw readout, set up for its scan mode.
#pragma once

#include <cstdint>

namespace lx9 {

// The readout the shading pass walks: layout code, first sensor column, pixels per line and lines.
struct ShadingGeometry {
    int16_t layout;
    int16_t start;
    int16_t width;
    int16_t lines;
};

// Index 0/0/64/112; standard 1/0/512/896; extended 2 with the crop rectangle's smaller of top and bottom,
// |bottom - top| and |right - left|. False for other modes or a rectangle beyond 16-bit sizes.
bool ShadingGeometryFor(int mode, ShadingGeometry* geometry);

// Corrects raw in place: dark table for negative film (filmType 0), gain table otherwise. Other modes do
// nothing.
void ApplyShading(int mode, uint8_t* raw);

}  // namespace lx9
