// The finished frame as the data source hands it to the application.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lx9pict.h"

namespace lx9 {

// Bytes of the image's pixels (rows x cols x 3).
size_t TransferPixelBytes(const PictImage& image);

// The pixel array behind the transferred BITMAPINFOHEADER (width cols, height rows, bottom row first, blue,
// green, red): the image's rows as they are, or turned by 180 degrees when turn is set. bits holds
// TransferPixelBytes(image) bytes; cols x 3 is a multiple of 4, so the rows carry no filler.
void CopyTransferPixels(const PictImage& image, int32_t turn, uint8_t* bits);

}  // namespace lx9
