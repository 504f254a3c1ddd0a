// The header of a 24-bit device-independent bitmap: Windows' BITMAPINFOHEADER, and the same 40-byte layout
// where there is no windows.h.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>

namespace lx9 {

#ifdef _WIN32
using BitmapInfoHeader = BITMAPINFOHEADER;
constexpr uint32_t kBitmapUncompressed = BI_RGB;
#else
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);
constexpr uint32_t kBitmapUncompressed = 0;
#endif

}  // namespace lx9
