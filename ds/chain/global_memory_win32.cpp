#include "chain/global_memory.h"

#include <windows.h>

namespace lx9 {

uint8_t* AllocLockedBlock(size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) return nullptr;
    auto* pixels = static_cast<uint8_t*>(GlobalLock(block));
    if (pixels == nullptr) GlobalFree(block);
    return pixels;
}

void FreeLockedBlock(void* pixels) {
    if (pixels == nullptr) return;
    HGLOBAL block = GlobalHandle(pixels);
    if (block == nullptr) return;
    GlobalUnlock(block);
    GlobalFree(block);
}

}  // namespace lx9
