// Writing a BMP file: file header, BITMAPINFOHEADER, rows bottom first, each padded to 4 bytes.
#pragma once

#include "rgb_image.h"

#include <string>
#include <vector>

namespace lx9::acquire {

std::vector<uint8_t> EncodeBmp(const RgbImage& image);

// Blue-green-red rows, top first, each padded to 4 bytes: the pixel layout GDI+ and BMP files share.
std::vector<uint8_t> BgrRowsTopDown(const RgbImage& image, uint32_t& stride);

}  // namespace lx9::acquire
