// Resampling by a fixed-point step and the four-neighbour sharpening/smoothing filter.
#include <cstdint>
#include <cstring>

#include "lx9pict.h"
#include "pict_common.h"

using lx9pict::clampByte;
using lx9pict::pixelCount;

namespace {

constexpr int32_t kMaxExtent = 32767;  // rows and cols are signed 16-bit

// Output pixels along one axis: one per step started inside the source, ceil(extent x 256 / step).
int32_t sizedExtent(int32_t extent, int32_t step) {
    return (extent * 256 + step - 1) / step;
}

// One output value: the blend of the current source pixel p, the pixel ix to its right, the pixel iy rows
// below and the pixel diagonal to it, weighted by the fractions fx and fy (1/256 units).
uint8_t blend(const uint8_t* p, int32_t right, int32_t below, int32_t fx, int32_t fy) {
    const int32_t top = p[right] * fx + p[0] * (256 - fx);
    const int32_t bottom = p[below + right] * fx + p[below] * (256 - fx);
    const int32_t v = (bottom * fy + top * (256 - fy)) / 65536;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

}  // namespace

void UseSizing(const PictImage* srcRecord, PictImage* dst, int16_t step) {
    const PictImage image =
        *srcRecord;  // read before dst is written, should the caller pass one record twice
    const PictImage* src = &image;
    dst->rows = 0;
    dst->cols = 0;
    // A step of 0 or less would never leave the first pixel; a result beyond 16-bit extents cannot be
    // described in the destination record. Both give an empty image.
    if (step <= 0 || pixelCount(*src) == 0) return;
    if (sizedExtent(src->rows, step) > kMaxExtent || sizedExtent(src->cols, step) > kMaxExtent) return;

    const int32_t rowBytes = 3 * src->cols;
    const int32_t limitX = src->cols * 256;
    const int32_t limitY = src->rows * 256;
    int32_t rowStart = 0;  // source offsets rather than pointers: nothing points past the image
    uint8_t* out = dst->data;
    int16_t rows = 0;
    int16_t cols = 0;
    for (int32_t y = 0, fy = 0; limitY > y;) {
        fy += step;
        y += step;
        const int32_t iy = fy >> 8;
        fy &= 255;
        const bool belowInside = limitY > y;
        cols = 0;
        int32_t pixel = rowStart;
        for (int32_t x = 0, fx = 0; limitX > x;) {
            fx += step;
            x += step;
            const int32_t ix = fx >> 8;
            fx &= 255;
            const uint8_t* p = src->data + pixel;
            if (limitX > x && belowInside) {
                for (int c = 0; c < 3; ++c) out[c] = blend(p + c, 3 * ix, iy * rowBytes, fx, fy);
            } else {
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
            }
            out += 3;
            pixel += 3 * ix;
            ++cols;
        }
        rowStart += iy * rowBytes;
        ++rows;
    }
    dst->rows = rows;
    dst->cols = cols;
}

void UseSharp(const PictImage* src, PictImage* dst, int16_t strength, int16_t deadBand) {
    dst->rows = src->rows;
    dst->cols = src->cols;
    if (pixelCount(*src) == 0) return;  // no pixels: nothing to read, nothing to write
    const int rows = src->rows;
    const int cols = src->cols;
    const int32_t rowBytes = 3 * cols;
    const uint8_t* in = src->data;
    uint8_t* out = dst->data;
    const int32_t centreWeight = 4 * (64 - strength);
    const int32_t band = deadBand;

    std::memcpy(out, in, static_cast<size_t>(rowBytes));
    for (int y = 1; y < rows - 1; ++y) {
        const uint8_t* s = in + static_cast<int32_t>(y) * rowBytes;
        uint8_t* o = out + static_cast<int32_t>(y) * rowBytes;
        std::memcpy(o, s, 3);
        for (int32_t i = 3; i < rowBytes - 3; ++i) {
            const int32_t v = s[i];
            const int32_t neighbours = s[i - rowBytes] + s[i + rowBytes] + s[i - 3] + s[i + 3];
            const int32_t sharp = (strength * neighbours + centreWeight * v) >> 8;
            const int32_t d = sharp - v;
            const int32_t r = d > band ? sharp - band : (d < -band ? sharp + band : v);
            o[i] = clampByte(r);
        }
        std::memcpy(o + rowBytes - 3, s + rowBytes - 3, 3);
    }
    const int32_t last = static_cast<int32_t>(rows - 1) * rowBytes;
    std::memcpy(out + last, in + last, static_cast<size_t>(rowBytes));
}
