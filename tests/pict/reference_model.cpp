#include "reference_model.h"

#include <algorithm>

namespace ref {

ShadingTables shadingTables(const Bytes& lines, int lineCount, const uint16_t* map10, const Bytes& conv) {
    std::vector<uint16_t> buffer(lines.size());
    for (size_t k = 0; k < lines.size(); ++k) buffer[k] = map10[lines[k]];
    std::vector<uint16_t> sums(2048, 0);
    for (size_t k = 0; k < buffer.size(); ++k)
        sums[k % 2048] = static_cast<uint16_t>(sums[k % 2048] + buffer[k]);
    int minimum[4] = {65535, 65535, 65535, 65535}, maximum[4] = {0, 0, 0, 0};
    for (int j = 0; j < 2048; ++j) {
        minimum[j % 4] = std::min<int>(minimum[j % 4], sums[j]);
        maximum[j % 4] = std::max<int>(maximum[j % 4], sums[j]);
    }
    ShadingTables t{std::vector<uint16_t>(2048), std::vector<uint16_t>(2048)};
    for (int j = 0; j < 2048; ++j) {
        const int level = conv[sums[j] / lineCount];
        t.dark[j] = static_cast<uint16_t>(std::max(level - conv[minimum[j % 4] / lineCount], 0));
        t.gain[j] = static_cast<uint16_t>(std::max(conv[maximum[j % 4] / lineCount] - level, 0));
    }
    return t;
}

int shade(uint8_t* cursor, int layout, int start, int width, int lineCount, const ShadingTables& t,
          bool nega) {
    const uint8_t* begin = cursor;
    for (int line = 0; line < lineCount; ++line) {
        const int groups = layout == 0 ? width : width / 2;
        for (int g = 0; g < groups; ++g) {
            int elements[4];
            int n = 4;
            switch (layout) {
                case 0:
                    n = 3, elements[0] = 32 * g, elements[1] = 32 * g + 1, elements[2] = 32 * g + 2;
                    break;
                case 1:
                    elements[0] = 8 * g + 1, elements[1] = 8 * g + 4, elements[2] = 8 * g + 5,
                    elements[3] = 8 * g + 6;
                    break;
                case 2:
                    for (int i = 0; i < 4; ++i) elements[i] = 2 * start + 4 * g + i;
                    break;
                case 3:
                    elements[0] = 8 * g, elements[1] = 8 * g + 1, elements[2] = 8 * g + 2,
                    elements[3] = 8 * g + 5;
                    break;
                default:
                    n = 0;
            }
            for (int i = 0; i < n; ++i, ++cursor) {
                const int e = elements[i];
                const int d = e >= 0 && e < 2048 ? (nega ? t.dark[e] : t.gain[e]) : 0;
                const auto v = static_cast<int16_t>(nega ? *cursor - d : *cursor + d);
                *cursor =
                    nega ? (v > 0 ? static_cast<uint8_t>(v) : 0) : (v < 255 ? static_cast<uint8_t>(v) : 255);
            }
        }
        if (layout == 1 || layout == 3) layout = layout == 1 ? 3 : 1;
    }
    return static_cast<int>(cursor - begin);
}

static uint8_t clip(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

void standardData(uint8_t* dst, const uint8_t* src, int width, int lines) {
    const int pairs = width / 2;
    for (int i = 0; i < lines; ++i) {
        for (int j = 0; j < pairs; ++j) {
            const uint8_t* g = src + 1024 * i + 4 * j;
            const uint8_t* up = g - 1024;
            const uint8_t* down = g + 1024;
            uint8_t* a = dst + 3 * (width * i + 2 * j);
            uint8_t* b = a + 3;
            if (i % 2 == 0) {
                b[0] = g[3], b[1] = g[2], b[2] = g[1], a[1] = g[0];
                if (j == 0) {
                    a[2] = g[1], a[0] = g[3];
                } else if (i == 0 || i == lines - 1) {  // the library completes an even last line like line 0
                    a[2] = g[-3], a[0] = g[-1];
                } else {
                    const int d = g[0] - (up[1] + down[1]) / 2;
                    a[2] = clip(d + (up[0] + down[0]) / 2), a[0] = clip(d + (up[2] + down[2]) / 2);
                }
            } else {
                a[0] = g[2], a[1] = g[1], a[2] = g[0], b[1] = g[3];
                if (j == pairs - 1 || i == lines - 1) {
                    b[2] = g[0], b[0] = g[2];
                } else {
                    const int d = g[3] - (up[2] + down[2]) / 2;
                    b[2] = clip(d + (up[1] + down[1]) / 2), b[0] = clip(d + (up[3] + down[3]) / 2);
                }
            }
        }
    }
}

// Pixel byte c: 0 blue, 1 green, 2 red; BaseData highlight at c, shadow at 3 + c; curve column 2 - c.
void negaType(Bytes& p, const BaseData& base, const uint8_t* curve) {
    for (size_t k = 0; k < p.size(); ++k) p[k] = clip(p[k] + 255 - base.v[k % 3]);
    for (auto& v : p) v = static_cast<uint8_t>(255 - v);
    for (size_t k = 0; k < p.size(); ++k) p[k] = clip(p[k] * 256 / (base.v[k % 3] - base.v[3 + k % 3] + 1));
    for (size_t k = 0; k < p.size(); ++k) p[k] = curve[3 * p[k] + 2 - k % 3];
}

void posiType(Bytes& p, const BaseData& base, const uint8_t* curve) {
    for (size_t k = 0; k < p.size(); ++k) p[k] = clip(p[k] - base.v[3 + k % 3]);
    for (size_t k = 0; k < p.size(); ++k) p[k] = clip(p[k] * 256 / (base.v[k % 3] - base.v[3 + k % 3] + 1));
    for (size_t k = 0; k < p.size(); ++k) p[k] = curve[3 * p[k] + 2 - k % 3];
}

void shiftGraph(Bytes& p, const int16_t* offsets) {
    for (size_t k = 0; k < p.size(); ++k) p[k] = clip(p[k] - offsets[2 - k % 3]);
}

void rgbData(Bytes& p, const int16_t* m) {
    for (size_t k = 0; k + 2 < p.size(); k += 3) {
        const int b = p[k], g = p[k + 1], r = p[k + 2];
        auto level = [](int sum) { return static_cast<uint8_t>(std::clamp(sum, 0, 65535) / 256); };
        p[k + 2] = level(m[0] * r + m[1] * g + m[2] * b);
        p[k + 1] = level(m[3] * r + m[4] * g + m[5] * b);
        p[k] = level(m[6] * r + m[7] * g + m[8] * b);
    }
}

// Closed form of the stepping loop: output pixel n along an axis blends the source pixels at the integer
// parts of n x step and (n + 1) x step (1/256 units) with the fraction of the latter; when the latter lies
// past the right or bottom edge it takes the first of the two.
Bytes sizing(const Bytes& src, int rows, int cols, int step, int& outRows, int& outCols) {
    outRows = (rows * 256 + step - 1) / step;
    outCols = (cols * 256 + step - 1) / step;
    Bytes out(3 * static_cast<size_t>(outRows) * outCols);
    for (int y = 0; y < outRows; ++y) {
        const int y0 = y * step / 256, y1 = (y + 1) * step / 256, fy = (y + 1) * step % 256;
        for (int x = 0; x < outCols; ++x) {
            const int x0 = x * step / 256, x1 = (x + 1) * step / 256, fx = (x + 1) * step % 256;
            const bool inside = (x + 1) * step < cols * 256 && (y + 1) * step < rows * 256;
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int r, int q) { return src[3 * (r * cols + q) + c]; };
                int v = at(y0, x0);
                if (inside)
                    v = ((at(y1, x1) * fx + at(y1, x0) * (256 - fx)) * fy +
                         (at(y0, x1) * fx + at(y0, x0) * (256 - fx)) * (256 - fy)) /
                        65536;
                out[3 * (y * outCols + x) + c] = clip(v);
            }
        }
    }
    return out;
}

}  // namespace ref
