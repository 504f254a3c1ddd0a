// The pictures the test shell of the data source hands over, and what the acquisition test expects in the
// files: a pattern that differs in every channel, row, column and image.
#pragma once

#include <cstdint>

namespace lx9::hosttest {

struct PatternPixel {
    uint8_t red, green, blue;
};

// (x, y) counted from the top-left pixel; image counts from 1.
inline PatternPixel PatternAt(uint32_t x, uint32_t y, uint32_t image) {
    return PatternPixel{static_cast<uint8_t>(x * 7 + y * 3 + image * 50), static_cast<uint8_t>(x ^ (y * 5)),
                        static_cast<uint8_t>(y * 11 + x / 3 + image)};
}

}  // namespace lx9::hosttest
