#include "chain/display_copy.h"

#include "chain/global_memory.h"
#include "chain/transform_image.h"
#include "device/device_state.h"
#include "device/error_report.h"

namespace lx9 {

void MakeDisplayCopy(ReportTarget window, const uint8_t* src, int rows, int cols, IndexImage* entry) {
    // The half turn walks aligned rows: only rows without filler (112 pixels, say) are packed rows too.
    if (src == nullptr || entry == nullptr || rows < 1 || cols < 1 || (cols * 3) % 4 != 0) return;
    FreeLockedBlock(entry->pixels);
    entry->pixels = nullptr;

    const size_t bytes = static_cast<size_t>(cols) * 3 * static_cast<size_t>(rows);
    uint8_t* pixels = AllocLockedBlock(bytes);
    uint8_t* flipped = pixels ? AllocLockedBlock(bytes) : nullptr;
    if (flipped == nullptr) {
        FreeLockedBlock(pixels);
        memoryFailed = 1;
        ReportDeviceError(window);
        return;
    }
    // Upside down, then a half turn: each row keeps its place with its pixels reversed.
    TransformImage(cols, rows, src, flipped, 500);
    TransformImage(cols, rows, flipped, pixels, 180);
    FreeLockedBlock(flipped);
    entry->pixels = pixels;
}

}  // namespace lx9
