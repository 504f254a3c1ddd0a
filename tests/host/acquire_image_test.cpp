// The acquisition program's image handling: reading DIBs of either row layout, writing BMP files, and
// placing memory strips.
#include "bmp_encode.h"
#include "dib_decode.h"
#include "strip_assembly.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lx9::acquire {
namespace {

// A 24-bit DIB whose pixel (x, y) from the top is (x, y, x + y) in red, green, blue.
std::vector<uint8_t> MakeDib(int32_t width, int32_t height, bool padded, uint32_t sizeImage = 0) {
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    const size_t packed = size_t(width) * 3;
    const size_t stride = padded ? (packed + 3) & ~size_t{3} : packed;
    std::vector<uint8_t> dib(40 + stride * rows, 0xEE);  // filler bytes are 0xEE: never part of a pixel
    BITMAPINFOHEADER header{40, width, height, 1, 24, 0, sizeImage, 0, 0, 0, 0};
    std::memcpy(dib.data(), &header, sizeof(header));
    for (uint32_t y = 0; y < rows; ++y) {
        uint8_t* row = dib.data() + 40 + stride * (height > 0 ? rows - 1 - y : y);
        for (int32_t x = 0; x < width; ++x) {
            row[x * 3] = static_cast<uint8_t>(x + y);
            row[x * 3 + 1] = static_cast<uint8_t>(y);
            row[x * 3 + 2] = static_cast<uint8_t>(x);
        }
    }
    return dib;
}

void ExpectGradient(const RgbImage& image, uint32_t width, uint32_t height) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = image.Row(y) + x * 3;
            ASSERT_EQ(p[0], uint8_t(x)) << x << "," << y;
            ASSERT_EQ(p[1], uint8_t(y)) << x << "," << y;
            ASSERT_EQ(p[2], uint8_t(x + y)) << x << "," << y;
        }
    }
}

TEST(DibDecode, ReadsPaddedAndPackedRowsOfEveryWidth) {
    for (int32_t width : {1, 2, 3, 4, 101, 112}) {
        for (bool padded : {true, false}) {
            std::vector<uint8_t> dib = MakeDib(width, 20, padded);
            RgbImage image;
            std::string error;
            RowLayout layout{};
            ASSERT_TRUE(DecodeDib(dib.data(), dib.size(), image, error, &layout)) << error;
            ExpectGradient(image, static_cast<uint32_t>(width), 20);
            if (width % 4 != 0) {
                EXPECT_EQ(layout, padded ? RowLayout::Aligned : RowLayout::Packed) << width;
            }
        }
    }
}

TEST(DibDecode, PackedRowsNamedByTheirSizeWinOverSlackInTheBlock) {
    // A block rounded up so far that padded rows would fit: biSizeImage tells.
    std::vector<uint8_t> dib = MakeDib(5, 2, false, 30);
    dib.resize(40 + 32, 0);
    RgbImage image;
    std::string error;
    RowLayout layout{};
    ASSERT_TRUE(DecodeDib(dib.data(), dib.size(), image, error, &layout)) << error;
    EXPECT_EQ(layout, RowLayout::Packed);
    ExpectGradient(image, 5, 2);
}

TEST(DibDecode, ReadsTopDownImagesAndSkipsAColourTable) {
    std::vector<uint8_t> dib = MakeDib(7, -3, true);
    RgbImage image;
    std::string error;
    ASSERT_TRUE(DecodeDib(dib.data(), dib.size(), image, error)) << error;
    ExpectGradient(image, 7, 3);

    std::vector<uint8_t> withTable = MakeDib(7, 3, true);
    withTable.insert(withTable.begin() + 40, 8, 0x55);
    withTable[32] = 2;  // biClrUsed
    ASSERT_TRUE(DecodeDib(withTable.data(), withTable.size(), image, error)) << error;
    ExpectGradient(image, 7, 3);
}

TEST(DibDecode, RefusesWhatItCannotReadWithoutReadingPastTheBlock) {
    RgbImage image;
    std::string error;
    std::vector<uint8_t> dib = MakeDib(10, 10, false);
    EXPECT_FALSE(DecodeDib(dib.data(), 39, image, error));
    EXPECT_FALSE(DecodeDib(dib.data(), dib.size() - 1, image, error)) << "one byte short";
    EXPECT_NE(error.find("too few"), std::string::npos) << error;

    const auto with = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> changed = dib;
        std::memcpy(changed.data() + offset, &value, 4);
        return DecodeDib(changed.data(), changed.size(), image, error);
    };
    EXPECT_FALSE(with(0, 12)) << "core header";
    EXPECT_FALSE(with(0, 0x7FFFFFFF)) << "header larger than the block";
    EXPECT_FALSE(with(4, 0)) << "no width";
    EXPECT_FALSE(with(8, 0)) << "no height";
    EXPECT_FALSE(with(8, 0x80000000u)) << "the most negative height";
    EXPECT_FALSE(with(14, 8)) << "8 bits per pixel";
    EXPECT_FALSE(with(16, 1)) << "compressed";
    EXPECT_FALSE(with(32, 0x40000000u)) << "colour table beyond the block";
    EXPECT_FALSE(with(4, 0x7FFFFF) || with(8, 0x7FFFFF)) << "huge sizes are refused, not allocated";
}

TEST(BmpEncode, WritesHeadersAndPadsBottomUpRows) {
    RgbImage image;
    ASSERT_TRUE(ResizeImage(image, 3, 2));
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i + 1);
    const std::vector<uint8_t> file = EncodeBmp(image);
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    uint32_t value = 0;
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    std::memcpy(&value, &file[2], 4);
    EXPECT_EQ(value, file.size());
    std::memcpy(&value, &file[10], 4);
    EXPECT_EQ(value, 54u);
    std::memcpy(&value, &file[34], 4);
    EXPECT_EQ(value, 24u);
    // Bottom row (pixels 10..18) first, blue-green-red, then 3 zero bytes of padding.
    const std::vector<uint8_t> bottom(file.begin() + 54, file.begin() + 66);
    EXPECT_EQ(bottom, (std::vector<uint8_t>{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0}));
    const std::vector<uint8_t> top(file.begin() + 66, file.end());
    EXPECT_EQ(top, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}));
}

TW_IMAGEINFO RgbInfo(int32_t width, int32_t height) {
    TW_IMAGEINFO info{};
    info.ImageWidth = width;
    info.ImageLength = height;
    info.SamplesPerPixel = 3;
    info.BitsPerPixel = 24;
    info.PixelType = TWPT_RGB;
    return info;
}

TW_IMAGEMEMXFER Strip(uint32_t columns, uint32_t rows, uint32_t xOffset, uint32_t yOffset,
                      uint32_t bytesPerRow) {
    TW_IMAGEMEMXFER strip{};
    strip.Columns = columns;
    strip.Rows = rows;
    strip.XOffset = xOffset;
    strip.YOffset = yOffset;
    strip.BytesPerRow = bytesPerRow;
    strip.BytesWritten = bytesPerRow * rows;
    return strip;
}

TEST(StripAssembly, PlacesStripsByTheirOffsetsAndKnowsWhenItIsComplete) {
    StripAssembly assembly;
    std::string error;
    ASSERT_TRUE(assembly.Start(RgbInfo(2, 3), error)) << error;
    std::vector<uint8_t> buffer(64);
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i);
    // Rows 2, then 0..1 with padded rows of 8 bytes.
    ASSERT_TRUE(assembly.Add(Strip(2, 1, 0, 2, 6), buffer.data(), 6, error)) << error;
    EXPECT_FALSE(assembly.Complete());
    ASSERT_TRUE(assembly.Add(Strip(2, 2, 0, 0, 8), buffer.data(), 14, error)) << error;
    EXPECT_TRUE(assembly.Complete());
    const RgbImage& image = assembly.Image();
    EXPECT_EQ(std::vector<uint8_t>(image.Row(0), image.Row(0) + 6), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(std::vector<uint8_t>(image.Row(1), image.Row(1) + 6),
              (std::vector<uint8_t>{8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(std::vector<uint8_t>(image.Row(2), image.Row(2) + 6), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));
}

TEST(StripAssembly, RefusesStripsOutsideTheImageOrTheBuffer) {
    StripAssembly assembly;
    std::string error;
    ASSERT_TRUE(assembly.Start(RgbInfo(4, 4), error));
    std::vector<uint8_t> buffer(48);
    EXPECT_FALSE(assembly.Add(Strip(4, 5, 0, 0, 12), buffer.data(), 1000, error)) << "too many rows";
    EXPECT_FALSE(assembly.Add(Strip(4, 1, 0, 4, 12), buffer.data(), 48, error)) << "below the image";
    EXPECT_FALSE(assembly.Add(Strip(3, 1, 2, 0, 12), buffer.data(), 48, error)) << "past the right edge";
    EXPECT_FALSE(assembly.Add(Strip(4, 1, 0, 0, 11), buffer.data(), 48, error)) << "rows shorter than pixels";
    EXPECT_FALSE(assembly.Add(Strip(4, 4, 0, 0, 12), buffer.data(), 47, error))
        << "more than the buffer holds";
    TW_IMAGEMEMXFER shortWrite = Strip(4, 4, 0, 0, 12);
    shortWrite.BytesWritten = 12;
    EXPECT_FALSE(assembly.Add(shortWrite, buffer.data(), 48, error)) << "more than the source wrote";
    EXPECT_FALSE(assembly.Add(Strip(0, 1, 0, 0, 12), buffer.data(), 48, error)) << "no columns";
    EXPECT_EQ(assembly.RowsReceived(), 0u);

    TW_IMAGEINFO gray = RgbInfo(4, 4);
    gray.PixelType = TWPT_GRAY;
    gray.BitsPerPixel = 8;
    EXPECT_FALSE(assembly.Start(gray, error));
    EXPECT_FALSE(assembly.Start(RgbInfo(4, -1), error)) << "an unknown length cannot be taken in strips";
}

}  // namespace
}  // namespace lx9::acquire
