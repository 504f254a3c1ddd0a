// Small helpers shared by the pixel functions of LX9Pict.
#ifndef LX9PICT_PICT_COMMON_H
#define LX9PICT_PICT_COMMON_H

#include <cstdint>

#include "lx9pict.h"

namespace lx9pict {

// Sensor line geometry: 512 positions of red, green, blue and second green.
constexpr int kSensorElements = 2048;

inline uint8_t clampByte(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : static_cast<uint8_t>(v));
}

// Pixels of an image, 0 for an empty or negative geometry. 32 bits: 32767 x 32767 does not fit in 16.
inline int32_t pixelCount(const PictImage& image) {
    if (image.rows <= 0 || image.cols <= 0) return 0;
    return static_cast<int32_t>(image.rows) * image.cols;
}

// One table per pixel byte (blue, green, red), applied to every pixel of the image in place.
using ChannelLuts = uint8_t[3][256];

inline void applyChannelLuts(const PictImage& image, const ChannelLuts& luts) {
    uint8_t* p = image.data;
    const int32_t n = pixelCount(image);
    for (int32_t i = 0; i < n; ++i, p += 3) {
        p[0] = luts[0][p[0]];
        p[1] = luts[1][p[1]];
        p[2] = luts[2][p[2]];
    }
}

}  // namespace lx9pict

#endif
