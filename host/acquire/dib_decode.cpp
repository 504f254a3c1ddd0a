#include "dib_decode.h"

#include <cstring>

namespace lx9::acquire {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;

struct InfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    uint32_t clrUsed;
};

template <typename T>
T ReadAt(const uint8_t* bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof(T));
    return value;
}

InfoHeader ReadHeader(const uint8_t* block) {
    return InfoHeader{ReadAt<uint32_t>(block, 0),  ReadAt<int32_t>(block, 4),   ReadAt<int32_t>(block, 8),
                      ReadAt<uint16_t>(block, 12), ReadAt<uint16_t>(block, 14), ReadAt<uint32_t>(block, 16),
                      ReadAt<uint32_t>(block, 20), ReadAt<uint32_t>(block, 32)};
}

bool CheckHeader(const InfoHeader& header, std::size_t size, std::string& error) {
    if (header.size < kInfoHeaderSize || header.size > size) {
        error = "the image has an unknown header (biSize " + std::to_string(header.size) + ")";
    } else if (header.planes != 1 || header.bitCount != 24) {
        error = "only 24-bit images can be saved; this one has " + std::to_string(header.bitCount) +
                " bits per pixel and " + std::to_string(header.planes) + " planes";
    } else if (header.compression != 0) {
        error = "the image is compressed (biCompression " + std::to_string(header.compression) + ")";
    } else if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN) {
        error = "the image has no pixels (" + std::to_string(header.width) + " x " +
                std::to_string(header.height) + ")";
    } else {
        return true;
    }
    return false;
}

// Padded rows are the Windows norm; packed rows are recognised by a biSizeImage that says so, or by a
// block too short for padded rows.
bool ChooseLayout(const InfoHeader& header, uint64_t available, uint32_t height, RowLayout& layout) {
    const uint64_t packedRow = uint64_t{static_cast<uint32_t>(header.width)} * 3;
    const uint64_t alignedRow = (packedRow + 3) & ~uint64_t{3};
    const uint64_t packedBytes = packedRow * height;
    const uint64_t alignedBytes = alignedRow * height;
    if (packedBytes != alignedBytes && header.sizeImage == packedBytes && available >= packedBytes) {
        layout = RowLayout::Packed;
    } else if (available >= alignedBytes) {
        layout = RowLayout::Aligned;
    } else if (available >= packedBytes) {
        layout = RowLayout::Packed;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool DecodeDib(const uint8_t* block, std::size_t size, RgbImage& image, std::string& error,
               RowLayout* layout) {
    if (!block || size < kInfoHeaderSize) {
        error = "the image block is smaller than a bitmap header";
        return false;
    }
    const InfoHeader header = ReadHeader(block);
    if (!CheckHeader(header, size, error)) return false;

    const bool bottomUp = header.height > 0;
    const uint32_t height = static_cast<uint32_t>(bottomUp ? header.height : -header.height);
    const uint64_t pixelOffset = uint64_t{header.size} + uint64_t{header.clrUsed} * 4;
    if (pixelOffset > size) {
        error = "the image's colour table runs past the end of the block";
        return false;
    }
    RowLayout rows = RowLayout::Aligned;
    if (!ChooseLayout(header, size - pixelOffset, height, rows)) {
        error = "the image block holds " + std::to_string(size - pixelOffset) +
                " bytes of pixels, too few for " + std::to_string(header.width) + " x " +
                std::to_string(height) + " pixels";
        return false;
    }
    if (!ResizeImage(image, header.width, height)) {
        error =
            "the image is too large (" + std::to_string(header.width) + " x " + std::to_string(height) + ")";
        return false;
    }

    const std::size_t packedRow = std::size_t{image.width} * 3;
    const std::size_t stride = rows == RowLayout::Packed ? packedRow : (packedRow + 3) & ~std::size_t{3};
    const uint8_t* pixels = block + pixelOffset;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + stride * (bottomUp ? height - 1 - y : y);
        uint8_t* out = image.Row(y);
        for (uint32_t x = 0; x < image.width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    if (layout) *layout = rows;
    return true;
}

}  // namespace lx9::acquire
