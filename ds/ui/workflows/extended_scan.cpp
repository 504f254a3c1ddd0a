// The extended scan: SCAN in extended mode previews the frame in the crop window, then scans the rectangle.
#include "ui/workflows/extended_scan.h"

#include "device/error_report.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

namespace lx9 {

namespace {

void HandBackReady(HWND window) {
    busy = 0;
    ShowArrowCursor();
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace

void StartExtendedScan(HWND window, int32_t frame) {
    SetPreviewBuffersRelease(FreePreviewBuffers);
    previewFrame = frame;
    // The crop window is not opened yet: the window returns to its ready state.
    HandBackReady(window);
}

void RunExtendedFinal(HWND window, int32_t) {
    // Taken by the final-scan workflow; until then the window returns to its ready state.
    HandBackReady(window);
}

}  // namespace lx9
