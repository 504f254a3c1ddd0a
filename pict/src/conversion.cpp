// Negative/positive conversion, black offsets, colour matrix and grey, in place on a PictImage.
// The per-channel passes are pure functions of one byte, so each call folds its passes into one table
// per channel and walks the image once; the result is the same byte for byte as pass after pass.
#include <algorithm>
#include <cstdint>

#include "lx9pict.h"
#include "pict_common.h"

using lx9pict::applyChannelLuts;
using lx9pict::ChannelLuts;
using lx9pict::clampByte;
using lx9pict::pixelCount;

namespace {

// Pixel byte c (0 blue, 1 green, 2 red): its BaseData levels and its column in a tone curve entry, whose
// bytes are red, green, blue.
int highlightOf(const BaseData& base, int c) {
    return base.v[c];
}
int shadowOf(const BaseData& base, int c) {
    return base.v[3 + c];
}
int curveColumn(int c) {
    return 2 - c;
}

// Level width of a channel. A highlight below its shadow has no width: the channel is then cut at the
// highlight (width 1) rather than divided by zero or a negative number.
int levelWidth(const BaseData& base, int c) {
    return std::max(highlightOf(base, c) - shadowOf(base, c) + 1, 1);
}

int stretch(int v, int width) {
    return std::min(v * 256 / width, 255);
}

}  // namespace

void ShiftGraph(PictImage* image, const void* /*spare*/, const int16_t* offsets3) {
    if (pixelCount(*image) == 0) return;
    ChannelLuts luts;
    for (int c = 0; c < 3; ++c) {
        const int offset = offsets3[2 - c];  // offsets are red, green, blue
        for (int v = 0; v < 256; ++v) luts[c][v] = clampByte(v - offset);
    }
    applyChannelLuts(*image, luts);
}

void ChangeNegaType(PictImage* image, const BaseData* base, const uint8_t* curve768) {
    if (pixelCount(*image) == 0) return;
    ChannelLuts luts;
    for (int c = 0; c < 3; ++c) {
        const int h = highlightOf(*base, c);
        const int width = levelWidth(*base, c);
        for (int v = 0; v < 256; ++v) {
            const int lifted = std::min(v + (255 - h), 255);
            const int inverted = 255 - lifted;
            luts[c][v] = curve768[3 * stretch(inverted, width) + curveColumn(c)];
        }
    }
    applyChannelLuts(*image, luts);
}

void ChangePosiType(PictImage* image, const BaseData* base, const uint8_t* curve768) {
    if (pixelCount(*image) == 0) return;
    ChannelLuts luts;
    for (int c = 0; c < 3; ++c) {
        const int s = shadowOf(*base, c);
        const int width = levelWidth(*base, c);
        for (int v = 0; v < 256; ++v)
            luts[c][v] = curve768[3 * stretch(std::max(v - s, 0), width) + curveColumn(c)];
    }
    applyChannelLuts(*image, luts);
}

void ChangeRGBData(PictImage* image, const int16_t* matrix9) {
    const int32_t n = pixelCount(*image);
    int16_t m[9];
    std::copy(matrix9, matrix9 + 9, m);
    // Blocks of pixels split into planes: the arithmetic then runs on whole vectors of one channel.
    constexpr int kBlock = 128;
    int16_t red[kBlock], green[kBlock], blue[kBlock];
    uint8_t newRed[kBlock], newGreen[kBlock], newBlue[kBlock];
    auto level = [](int32_t sum) { return static_cast<uint8_t>(std::clamp<int32_t>(sum, 0, 65535) >> 8); };
    for (int32_t done = 0; done < n; done += kBlock) {
        uint8_t* p = image->data + 3 * done;
        const int count = static_cast<int>(std::min<int32_t>(kBlock, n - done));
        for (int i = 0; i < count; ++i) {
            blue[i] = p[3 * i];
            green[i] = p[3 * i + 1];
            red[i] = p[3 * i + 2];
        }
        for (int i = 0; i < count; ++i) {
            newRed[i] = level(m[0] * red[i] + m[1] * green[i] + m[2] * blue[i]);
            newGreen[i] = level(m[3] * red[i] + m[4] * green[i] + m[5] * blue[i]);
            newBlue[i] = level(m[6] * red[i] + m[7] * green[i] + m[8] * blue[i]);
        }
        for (int i = 0; i < count; ++i) {
            p[3 * i] = newBlue[i];
            p[3 * i + 1] = newGreen[i];
            p[3 * i + 2] = newRed[i];
        }
    }
}

void ChangeMonoData(PictImage* image) {
    const int32_t n = pixelCount(*image);
    uint8_t* p = image->data;
    for (int32_t i = 0; i < n; ++i, p += 3) {
        const auto grey = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
        p[0] = p[1] = p[2] = grey;
    }
}
