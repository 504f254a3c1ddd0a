// The BITMAPINFOHEADER of the 24-bit bottom-up images the data source hands around.
#pragma once

#include <cstdint>

#include "chain/bitmap_info.h"

namespace lx9 {

// size 40, the given width and (positive) height, 1 plane, 24 bits, uncompressed, every other field 0.
void InitBitmapHeader(int32_t width, int32_t height, BitmapInfoHeader* header);
// Every field 0.
void ClearBitmapHeader(BitmapInfoHeader* header);

}  // namespace lx9
