// The data source's transferred pixel array made into the SANE picture.
#pragma once

#include <cstdint>

#include "session.h"

namespace lx9::sane {

// bits: a bottom-up 24-bit DIB's pixel array (blue, green, red; rows of width x 3 bytes, a multiple of 4, so
// without filler), as the data source puts it behind its BITMAPINFOHEADER. The picture gets the same image
// top row first in red, green, blue: picture row y is DIB row height - 1 - y.
void PictureFromDib(const uint8_t* bits, int width, int height, Picture* picture);

}  // namespace lx9::sane
