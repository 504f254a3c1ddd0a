// An acquired image as the program keeps it: 8-bit red, green, blue per pixel, rows top first, packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lx9::acquire {

struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3 bytes

    uint8_t* Row(uint32_t y) { return pixels.data() + std::size_t{y} * width * 3; }
    const uint8_t* Row(uint32_t y) const { return pixels.data() + std::size_t{y} * width * 3; }
};

// Larger images than this are refused before anything is allocated (a damaged header must not ask for
// gigabytes); the LX-9's largest frame is far below it.
constexpr uint64_t kMaxImageBytes = 512ull * 1024 * 1024;

// Allocates a black image; false when the size is zero or above the limit.
bool ResizeImage(RgbImage& image, int64_t width, int64_t height);

}  // namespace lx9::acquire
