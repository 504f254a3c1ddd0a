#pragma once
#include <string>
#include "scene.h"

namespace lx9emu {

// Reads a PNG file (any colour type and depth; alpha is dropped) and scales it to width x height.
// Throws std::runtime_error naming the file when it cannot be read or is implausibly large.
RgbImage loadPicture(const std::string& path, int width, int height);

// Resamples with a triangle filter as wide as the scale factor (box-like when shrinking, linear when
// enlarging).
RgbImage scalePicture(const RgbImage& source, int width, int height);

}  // namespace lx9emu
