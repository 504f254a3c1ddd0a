// Reading the packed DIB of a native transfer: a BITMAPINFOHEADER, a colour table, then the rows. Sources
// differ in how they lay out the rows: Windows pads each to 4 bytes, some sources pack them; both are read.
#pragma once

#include "rgb_image.h"

#include <cstddef>
#include <string>

namespace lx9::acquire {

enum class RowLayout { Aligned, Packed };

// Decodes an uncompressed 24-bit DIB of `size` bytes. Returns false with a reason in `error`.
bool DecodeDib(const uint8_t* block, std::size_t size, RgbImage& image, std::string& error,
               RowLayout* layout = nullptr);

}  // namespace lx9::acquire
