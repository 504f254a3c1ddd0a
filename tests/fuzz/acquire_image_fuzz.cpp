// lx9acquire's side of an image transfer, with what a source hands over as the input: the packed DIB of a
// native transfer, and the TW_IMAGEINFO and buffered-memory strips of a memory transfer. Checked: nothing
// is read outside the block or the strip buffer (both exactly as large as the source said), a decoded
// image holds exactly the header's pixels, a DIB this program writes decodes back to the same image, and
// strips never count a row twice.
//
// Input: byte 0 picks the DIB (even) or the strips (odd). DIB: the block itself. Strips: the image
// information and each strip's fields from the back, the strips' bytes from the front.
#include <cstring>

#include "bmp_encode.h"
#include "dib_decode.h"
#include "fuzz_input.h"
#include "strip_assembly.h"

namespace {

using lx9fuzz::ExactBuffer;
using lx9fuzz::Input;
namespace acquire = lx9::acquire;

int32_t Read32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Dib(std::span<const uint8_t> bytes) {
    ExactBuffer block(bytes.size(), bytes);
    acquire::RgbImage image;
    std::string error;
    acquire::RowLayout layout;
    if (!acquire::DecodeDib(block.data(), block.size(), image, error, &layout)) {
        LX9_FUZZ_CHECK(!error.empty());
        return;
    }
    const int32_t width = Read32(block.data() + 4);
    const int32_t height = Read32(block.data() + 8);
    LX9_FUZZ_CHECK(static_cast<int64_t>(image.width) == width);
    LX9_FUZZ_CHECK(static_cast<int64_t>(image.height) ==
                   (height < 0 ? -static_cast<int64_t>(height) : height));
    LX9_FUZZ_CHECK(image.pixels.size() == size_t{image.width} * image.height * 3);

    // What the program writes itself must come back unchanged (a BMP file is its DIB after 14 bytes).
    if (image.pixels.size() > (1u << 20)) return;
    const std::vector<uint8_t> file = acquire::EncodeBmp(image);
    LX9_FUZZ_CHECK(file.size() > 14);
    acquire::RgbImage again;
    LX9_FUZZ_CHECK(acquire::DecodeDib(file.data() + 14, file.size() - 14, again, error));
    LX9_FUZZ_CHECK(again.width == image.width && again.height == image.height &&
                   again.pixels == image.pixels);
}

void Strips(Input& in) {
    TW_IMAGEINFO info{};
    info.ImageWidth = in.u8() % 8 == 0 ? static_cast<int32_t>(in.u32()) : in.u8() % 80;
    info.ImageLength = in.u8() % 8 == 0 ? static_cast<int32_t>(in.u32()) : in.u8() % 80;
    info.SamplesPerPixel = 3;
    info.BitsPerPixel = in.u8() % 16 == 0 ? static_cast<TW_INT16>(in.u16()) : 24;
    info.PixelType = in.u8() % 16 == 0 ? static_cast<TW_INT16>(in.u8()) : TWPT_RGB;
    info.Planar = in.u8() % 16 == 0;
    info.Compression = in.u8() % 16 == 0 ? in.u8() : TWCP_NONE;
    // Images the program would take but that are too big for many runs a second are left out.
    const uint64_t bytes =
        uint64_t{static_cast<uint32_t>(info.ImageWidth)} * static_cast<uint32_t>(info.ImageLength) * 3;
    if (info.ImageWidth > 0 && info.ImageLength > 0 && bytes > (16u << 20) &&
        bytes <= acquire::kMaxImageBytes)
        return;
    acquire::StripAssembly strips;
    std::string error;
    if (!strips.Start(info, error)) {
        LX9_FUZZ_CHECK(!error.empty());
        return;
    }
    const uint32_t width = strips.Image().width;
    const uint32_t height = strips.Image().height;
    LX9_FUZZ_CHECK(static_cast<int64_t>(width) == info.ImageWidth &&
                   static_cast<int64_t>(height) == info.ImageLength);
    // Strips as a source fills them: most at the next rows and full width, some odd.
    uint32_t nextRow = 0;
    for (int n = 0; n < 64 && !in.empty(); ++n) {
        TW_IMAGEMEMXFER strip{};
        const bool regular = in.u8() % 4 != 0;
        strip.Compression = in.u8() % 32 == 0 ? TWCP_RLE4 : TWCP_NONE;
        strip.Columns = regular ? width : (in.u8() % 4 == 0 ? in.u32() : in.u8() % 90);
        strip.Rows = regular ? 1 + in.u8() % 8 : (in.u8() % 4 == 0 ? in.u32() : in.u8() % 90);
        strip.XOffset = regular ? 0 : (in.u8() % 4 == 0 ? in.u32() : in.u8() % 90);
        strip.YOffset = regular ? nextRow : (in.u8() % 4 == 0 ? in.u32() : in.u8() % 90);
        const uint32_t packed = strip.Columns * 3;
        strip.BytesPerRow =
            regular ? (packed + 3) & ~3u : (in.u8() % 4 == 0 ? in.u32() : packed + in.u8() % 8 - 2);
        const uint64_t full = uint64_t{strip.BytesPerRow} * strip.Rows;
        size_t bufferSize = full > (1u << 20) ? in.u16() : static_cast<size_t>(full);
        if (!regular && in.flag()) bufferSize -= std::min<size_t>(bufferSize, in.u8());
        strip.BytesWritten = in.u8() % 8 == 0 ? in.u32() : static_cast<uint32_t>(bufferSize);
        ExactBuffer buffer(bufferSize, in.bytes(bufferSize));
        const uint32_t before = strips.RowsReceived();
        const bool added = strips.Add(strip, buffer.data(), buffer.size(), error);
        LX9_FUZZ_CHECK(added || !error.empty());
        LX9_FUZZ_CHECK(strips.RowsReceived() >= before && strips.RowsReceived() <= height);
        LX9_FUZZ_CHECK(strips.Complete() == (strips.RowsReceived() == height));
        if (added) {
            LX9_FUZZ_CHECK(uint64_t{strip.XOffset} + strip.Columns <= width);
            LX9_FUZZ_CHECK(uint64_t{strip.YOffset} + strip.Rows <= height);
            LX9_FUZZ_CHECK(strips.RowsReceived() - before <= strip.Rows);
            // The strip's first pixel is where it said.
            const uint8_t* at = strips.Image().Row(strip.YOffset) + size_t{strip.XOffset} * 3;
            LX9_FUZZ_CHECK(std::memcmp(at, buffer.data(), 3) == 0);
            if (regular) nextRow = strip.YOffset + strip.Rows;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] % 2 == 0) {
        Dib({data + 1, size - 1});
    } else {
        Input in(data + 1, size - 1);
        Strips(in);
    }
    return 0;
}
