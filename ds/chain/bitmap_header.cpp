#include "chain/bitmap_header.h"

#include <cstring>

namespace lx9 {

void InitBitmapHeader(int32_t width, int32_t height, BitmapInfoHeader* header) {
    if (header == nullptr) return;
    ClearBitmapHeader(header);
    header->biSize = sizeof(BitmapInfoHeader);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = kBitmapUncompressed;
}

void ClearBitmapHeader(BitmapInfoHeader* header) {
    if (header != nullptr) std::memset(header, 0, sizeof *header);
}

}  // namespace lx9
