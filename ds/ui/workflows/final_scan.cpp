// Hooks of the final scans: the window's SCAN stops here until the final-scan workflow exists.
#include "ui/workflows/final_scan.h"

#include "ui/main_state.h"
#include "ui/main_window.h"

namespace lx9 {

namespace {

void BackToReady(HWND window) {
    busy = 0;
    ShowArrowCursor();
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace

void StartFinalScan(HWND window) {
    BackToReady(window);
}

void FinalStep(HWND window, int32_t) {
    BackToReady(window);
}

}  // namespace lx9
