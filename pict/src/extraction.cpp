// Readout extraction: raw lines of the index, standard and extended modes to pixels of blue, green, red.
#include <cstdint>

#include "lx9pict.h"
#include "pict_common.h"

using lx9pict::clampByte;

namespace {

constexpr int kStandardLineBytes = 1024;  // 256 groups of 4 bytes, two pixels each
constexpr int kStandardMaxWidth = 512;

int half(int a, int b) {
    return (a + b) >> 1;
}

// Even line: G(A), R(B), G(B), B(B). Pixel A takes red and blue from the odd lines above and below,
// shifted by its green's difference to theirs; without both of them it takes pixel B of the pair to
// its left (pair 0: its own pair).
void evenLine(uint8_t* out, const uint8_t* g, const uint8_t* up, const uint8_t* down, int pairs) {
    for (int j = 0; j < pairs; ++j, g += 4, out += 6) {
        out[1] = g[0];
        out[3] = g[3];
        out[4] = g[2];
        out[5] = g[1];
    }
    out -= 6 * pairs;
    g -= 4 * pairs;
    out[0] = g[3];
    out[2] = g[1];
    if (up && down) {
        for (int j = 1; j < pairs; ++j) {
            const int o = 4 * j;
            const int d = g[o] - half(up[o + 1], down[o + 1]);
            out[6 * j] = clampByte(d + half(up[o + 2], down[o + 2]));
            out[6 * j + 2] = clampByte(d + half(up[o], down[o]));
        }
    } else {
        for (int j = 1; j < pairs; ++j) {
            out[6 * j] = g[4 * j - 1];
            out[6 * j + 2] = g[4 * j - 3];
        }
    }
}

// Odd line: R(A), G(A), B(A), G(B). Pixel B takes red and blue from the even lines above and below; the
// last pair of a line and every pair of the last line take them from pixel A of the same pair.
void oddLine(uint8_t* out, const uint8_t* g, const uint8_t* up, const uint8_t* down, int pairs) {
    for (int j = 0; j < pairs; ++j, g += 4, out += 6) {
        out[0] = g[2];
        out[1] = g[1];
        out[2] = g[0];
        out[3] = g[2];
        out[4] = g[3];
        out[5] = g[0];
    }
    if (!down) return;
    out -= 6 * pairs;
    g -= 4 * pairs;
    for (int j = 0; j < pairs - 1; ++j) {
        const int o = 4 * j;
        const int d = g[o + 3] - half(up[o + 2], down[o + 2]);
        out[6 * j + 3] = clampByte(d + half(up[o + 3], down[o + 3]));
        out[6 * j + 5] = clampByte(d + half(up[o + 1], down[o + 1]));
    }
}

}  // namespace

void GetIndexData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines) {
    if (width <= 0 || lines <= 0) return;
    const int32_t pixels = static_cast<int32_t>(width) * lines;
    for (int32_t i = 0; i < pixels; ++i, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

void GetStandardData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines) {
    // The readout has 512 pixels per line; wider would read past each raw line.
    if (width < 2 || width > kStandardMaxWidth || lines <= 0) return;
    const int pairs = width / 2;
    for (int i = 0; i < lines; ++i) {
        const uint8_t* line = src + static_cast<int32_t>(i) * kStandardLineBytes;
        const uint8_t* up = i > 0 ? line - kStandardLineBytes : nullptr;
        // An even last line (odd line count) has nothing below it and is completed like line 0.
        const uint8_t* down = i + 1 < lines ? line + kStandardLineBytes : nullptr;
        uint8_t* out = dst + static_cast<int32_t>(i) * 3 * width;
        if (i % 2 == 0)
            evenLine(out, line, up, down, pairs);
        else
            oddLine(out, line, up, down, pairs);
    }
}

void GetExtendData(uint8_t* dst, const uint8_t* src, int16_t width, int16_t lines) {
    if (width < 2 || lines <= 0) return;
    const int groups = width / 2;
    for (int i = 0; i < lines; ++i) {
        const uint8_t* g = src + static_cast<int32_t>(i) * 2 * width;
        uint8_t* out = dst + static_cast<int32_t>(i) * 3 * width;
        for (int k = 0; k < groups; ++k, g += 4, out += 6) {
            const uint8_t nextRed = k + 1 < groups ? g[4] : g[0];
            out[0] = g[2];
            out[1] = g[1];
            out[2] = g[0];
            out[3] = g[2];
            out[4] = g[3];
            out[5] = nextRed;
        }
    }
}
