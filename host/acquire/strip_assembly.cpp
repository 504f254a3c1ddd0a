#include "strip_assembly.h"

#include <cstring>

namespace lx9::acquire {

bool StripAssembly::Start(const TW_IMAGEINFO& info, std::string& error) {
    if (info.PixelType != TWPT_RGB || info.BitsPerPixel != 24 || info.Planar ||
        info.Compression != TWCP_NONE) {
        error = "only uncompressed chunky 24-bit RGB can be taken in strips (pixel type " +
                std::to_string(info.PixelType) + ", " + std::to_string(info.BitsPerPixel) +
                " bits per pixel)";
        return false;
    }
    if (!ResizeImage(image_, info.ImageWidth, info.ImageLength)) {
        error = "the source describes an image of " + std::to_string(info.ImageWidth) + " x " +
                std::to_string(info.ImageLength) + " pixels, which cannot be taken";
        return false;
    }
    rowSeen_.assign(image_.height, 0);
    rowsReceived_ = 0;
    return true;
}

bool StripAssembly::Add(const TW_IMAGEMEMXFER& strip, const uint8_t* buffer, std::size_t bufferSize,
                        std::string& error) {
    const uint64_t rowBytes = uint64_t{strip.Columns} * 3;
    const bool placed = strip.Compression == TWCP_NONE && strip.Columns > 0 && strip.Rows > 0 &&
                        uint64_t{strip.XOffset} + strip.Columns <= image_.width &&
                        uint64_t{strip.YOffset} + strip.Rows <= image_.height &&
                        strip.BytesPerRow >= rowBytes;
    // The last row needs only its pixels; a packed strip may end there.
    const uint64_t needed = placed ? uint64_t{strip.BytesPerRow} * (strip.Rows - 1) + rowBytes : 0;
    if (!placed || needed > bufferSize || needed > strip.BytesWritten) {
        error = "the source sent a strip that does not fit: " + std::to_string(strip.Columns) + " x " +
                std::to_string(strip.Rows) + " at (" + std::to_string(strip.XOffset) + ", " +
                std::to_string(strip.YOffset) + "), " + std::to_string(strip.BytesPerRow) +
                " bytes per row, " + std::to_string(strip.BytesWritten) + " bytes written";
        return false;
    }
    for (uint32_t r = 0; r < strip.Rows; ++r) {
        const uint32_t y = strip.YOffset + r;
        std::memcpy(image_.Row(y) + std::size_t{strip.XOffset} * 3,
                    buffer + std::size_t{strip.BytesPerRow} * r, static_cast<std::size_t>(rowBytes));
        // A strip covering part of a row counts the row once it reaches the right edge.
        if (!rowSeen_[y] && strip.XOffset + strip.Columns == image_.width) {
            rowSeen_[y] = 1;
            ++rowsReceived_;
        }
    }
    return true;
}

}  // namespace lx9::acquire
