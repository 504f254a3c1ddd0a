#include "bmp_encode.h"

#include <cstring>

namespace lx9::acquire {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

template <typename T>
void Put(std::vector<uint8_t>& out, std::size_t offset, T value) {
    std::memcpy(out.data() + offset, &value, sizeof(T));
}

uint32_t PaddedStride(uint32_t width) {
    return (width * 3 + 3) & ~3u;
}

}  // namespace

std::vector<uint8_t> BgrRowsTopDown(const RgbImage& image, uint32_t& stride) {
    stride = PaddedStride(image.width);
    std::vector<uint8_t> rows(std::size_t{stride} * image.height, 0);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* in = image.Row(y);
        uint8_t* out = rows.data() + std::size_t{stride} * y;
        for (uint32_t x = 0; x < image.width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return rows;
}

std::vector<uint8_t> EncodeBmp(const RgbImage& image) {
    uint32_t stride = 0;
    std::vector<uint8_t> rows = BgrRowsTopDown(image, stride);
    const uint32_t pixelBytes = stride * image.height;
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<uint8_t> file(std::size_t{offset} + pixelBytes, 0);

    file[0] = 'B';
    file[1] = 'M';
    Put<uint32_t>(file, 2, offset + pixelBytes);
    Put<uint32_t>(file, 10, offset);
    Put<uint32_t>(file, 14, kInfoHeaderSize);
    Put<int32_t>(file, 18, static_cast<int32_t>(image.width));
    Put<int32_t>(file, 22, static_cast<int32_t>(image.height));  // positive: bottom row first
    Put<uint16_t>(file, 26, 1);
    Put<uint16_t>(file, 28, 24);
    Put<uint32_t>(file, 34, pixelBytes);
    for (uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(file.data() + offset + std::size_t{stride} * (image.height - 1 - y),
                    rows.data() + std::size_t{stride} * y, stride);
    }
    return file;
}

}  // namespace lx9::acquire
