#include "ui/index_sheet.h"

#include "chain/bitmap_header.h"

namespace lx9 {

HGLOBAL BuildIndexSheet(int frameCount, const IndexImage* images) {
    const size_t pixelBytes = IndexSheetPixelBytes(frameCount);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + pixelBytes);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    if (header == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    InitBitmapHeader(kSheetWidth, IndexSheetHeight(frameCount), header);
    header->biSizeImage = static_cast<DWORD>(pixelBytes);
    ComposeIndexSheet(frameCount, images, reinterpret_cast<uint8_t*>(header + 1));
    GlobalUnlock(block);
    return block;
}

}  // namespace lx9
