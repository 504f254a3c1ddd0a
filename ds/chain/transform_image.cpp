#include "chain/transform_image.h"

#include <cstring>

namespace lx9 {

namespace {

void CopyPixel(const uint8_t* from, uint8_t* to) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Zeroes the filler bytes behind a row of n pixels in an aligned row.
void ClearFiller(uint8_t* row, int n) {
    const size_t used = static_cast<size_t>(n) * 3;
    std::memset(row + used, 0, AlignedRowBytes(n) - used);
}

// Turns a quarter: destination row r is source column column(r), read in the given row order.
template <bool Clockwise>
void Quarter(int a, int b, const uint8_t* src, uint8_t* dst) {
    const size_t srcStride = AlignedRowBytes(a);
    const size_t dstStride = AlignedRowBytes(b);
    for (int r = 0; r < a; ++r) {
        uint8_t* out = dst + dstStride * r;
        const int column = Clockwise ? a - 1 - r : r;
        for (int c = 0; c < b; ++c) {
            const int sourceRow = Clockwise ? c : b - 1 - c;
            CopyPixel(src + srcStride * sourceRow + 3 * static_cast<size_t>(column),
                      out + 3 * static_cast<size_t>(c));
        }
        ClearFiller(out, b);
    }
}

void HalfTurn(int a, int b, const uint8_t* src, uint8_t* dst) {
    const size_t stride = AlignedRowBytes(a);
    for (int r = 0; r < b; ++r) {
        const uint8_t* in = src + stride * (b - 1 - r);
        uint8_t* out = dst + stride * r;
        for (int c = 0; c < a; ++c)
            CopyPixel(in + 3 * static_cast<size_t>(a - 1 - c), out + 3 * static_cast<size_t>(c));
        ClearFiller(out, a);
    }
}

void VerticalFlip(int a, int b, const uint8_t* src, uint8_t* dst) {
    const size_t stride = static_cast<size_t>(a) * 3;
    for (int r = 0; r < b; ++r) std::memcpy(dst + stride * r, src + stride * (b - 1 - r), stride);
}

}  // namespace

void TransformImage(int a, int b, const uint8_t* src, uint8_t* dst, int operation) {
    if (a < 1 || b < 1 || src == nullptr || dst == nullptr) return;
    switch (operation) {
        case 0:
            std::memcpy(dst, src, static_cast<size_t>(a) * b * 3);
            break;
        case 90:
            Quarter<true>(a, b, src, dst);
            break;
        case 180:
            HalfTurn(a, b, src, dst);
            break;
        case 270:
            Quarter<false>(a, b, src, dst);
            break;
        case 500:
            VerticalFlip(a, b, src, dst);
            break;
        default:
            break;
    }
}

}  // namespace lx9
