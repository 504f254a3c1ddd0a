// One cell's index image: a bitmap header followed by the pixel pointer (112 x 64, 24 bits, bottom-up,
// 336 bytes per row, in a locked movable global block). A null pointer means the frame has none yet.
#pragma once

#include <cstdint>

#include "chain/bitmap_info.h"

namespace lx9 {

struct IndexImage {
    BitmapInfoHeader header;
    uint8_t* pixels;
};

constexpr int kIndexImageWidth = 112;
constexpr int kIndexImageHeight = 64;
constexpr int kIndexImageRowBytes = kIndexImageWidth * 3;
constexpr int kIndexImageBytes = kIndexImageRowBytes * kIndexImageHeight;

// True when the entry holds a 112 x 64 24-bit image that can be read.
bool HasIndexPixels(const IndexImage& entry);

}  // namespace lx9
