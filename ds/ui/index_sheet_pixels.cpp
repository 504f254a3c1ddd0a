#include "ui/index_sheet_pixels.h"

#include <cstring>

namespace lx9 {

namespace {

constexpr size_t kRowBytes = static_cast<size_t>(kSheetWidth) * 3;  // 1932: no filler needed
constexpr size_t kBandBytes = kSheetBand * 3;

uint8_t* BlackRows(uint8_t* out, int rows) {
    std::memset(out, 0, kRowBytes * rows);
    return out + kRowBytes * rows;
}

// One band of five cells, bottom pixel row first; cells[c] is null for a frame without an index image.
uint8_t* CellRows(uint8_t* out, const uint8_t* const* cells) {
    for (int y = 0; y < kIndexImageHeight; ++y) {
        for (int c = 0; c < kSheetColumns; ++c) {
            std::memset(out, 0, kBandBytes);
            out += kBandBytes;
            if (cells[c] != nullptr) {
                std::memcpy(out, cells[c] + static_cast<size_t>(kIndexImageRowBytes) * y,
                            kIndexImageRowBytes);
            } else {
                std::memset(out, kMissingCellLevel, kIndexImageRowBytes);
            }
            out += kIndexImageRowBytes;
        }
        std::memset(out, 0, kBandBytes);
        out += kBandBytes;
    }
    return out;
}

}  // namespace

int IndexSheetRows(int frameCount) {
    return frameCount == 15 ? 3 : frameCount == 25 ? 5 : 8;
}

int IndexSheetHeight(int frameCount) {
    return kSheetBand + IndexSheetRows(frameCount) * (kIndexImageHeight + kSheetBand);
}

size_t IndexSheetPixelBytes(int frameCount) {
    return kRowBytes * static_cast<size_t>(IndexSheetHeight(frameCount));
}

void ComposeIndexSheet(int frameCount, const IndexImage* images, uint8_t* out) {
    const int rows = IndexSheetRows(frameCount);
    // File order is bottom-up: the last row of frames comes first.
    out = BlackRows(out, kSheetBand);
    for (int band = rows - 1; band >= 0; --band) {
        const uint8_t* cells[kSheetColumns] = {};
        for (int c = 0; c < kSheetColumns; ++c) {
            const int frame = band * kSheetColumns + c + 1;
            if (images != nullptr && HasIndexPixels(images[frame])) cells[c] = images[frame].pixels;
        }
        out = CellRows(out, cells);
        out = BlackRows(out, kSheetBand);
    }
}

}  // namespace lx9
