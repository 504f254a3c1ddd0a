#include "readout.h"

namespace lx9emu {

std::vector<uint8_t> indexReadout(const ReadoutSource& source) {
    std::vector<uint8_t> out(kIndexImageBytes);
    uint8_t* p = out.data();
    for (int l = 0; l < kIndexLines; ++l) {
        const uint8_t* filmLine = source.film.line(16 * l);
        for (int g = 0; g < kIndexPixels; ++g)
            for (int c = 0; c < 3; ++c) *p++ = source.element(filmLine, 32 * g + c);
    }
    return out;
}

std::vector<uint8_t> standardReadout(const ReadoutSource& source, int x, int y, int width, int height) {
    static constexpr int kEven[4] = {1, 4, 5, 6};  // G(A), R(B), G(B), B(B)
    static constexpr int kOdd[4] = {0, 1, 2, 5};   // R(A), G(A), B(A), G(B)
    std::vector<uint8_t> out(static_cast<size_t>(width) * 4 * height);
    uint8_t* p = out.data();
    for (int i = 0; i < height; ++i) {
        const uint8_t* filmLine = source.film.line(2 * (y + i));
        const int* layout = (i % 2 == 0) ? kEven : kOdd;
        for (int g = x; g < x + width; ++g)
            for (int k = 0; k < 4; ++k) *p++ = source.element(filmLine, 8 * g + layout[k]);
    }
    return out;
}

std::vector<uint8_t> extendedReadout(const ReadoutSource& source, int x, int y, int width, int height) {
    std::vector<uint8_t> out(static_cast<size_t>(width) * 4 * height);
    uint8_t* p = out.data();
    for (int i = 0; i < height; ++i) {
        const int line = y + i;
        if (line >= kExtLines) {
            for (int e = 4 * x; e < 4 * (x + width); ++e)
                *p++ = clipLevel(source.levels.level[e % kClasses][256] + source.offsets[e]);
            continue;
        }
        const uint8_t* filmLine = source.film.line(line);
        for (int e = 4 * x; e < 4 * (x + width); ++e) *p++ = source.element(filmLine, e);
    }
    return out;
}

}  // namespace lx9emu
