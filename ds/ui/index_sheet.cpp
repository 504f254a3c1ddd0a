#include "ui/index_sheet.h"

#include <cstring>

#include "chain/bitmap_header.h"

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

HGLOBAL BuildIndexSheet(int frameCount, const IndexImage* images) {
    const int rows = IndexSheetRows(frameCount);
    const int height = kSheetBand + rows * (kIndexImageHeight + kSheetBand);
    const size_t pixelBytes = kRowBytes * height;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + pixelBytes);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    if (header == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    InitBitmapHeader(kSheetWidth, height, header);
    header->biSizeImage = static_cast<DWORD>(pixelBytes);

    // File order is bottom-up: the last row of frames comes first.
    uint8_t* out = reinterpret_cast<uint8_t*>(header + 1);
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
    GlobalUnlock(block);
    return block;
}

}  // namespace lx9
