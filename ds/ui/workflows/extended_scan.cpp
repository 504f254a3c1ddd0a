// Hook of the extended scan: the window's SCAN in extended mode stops here until the workflow exists.
#include "ui/workflows/extended_scan.h"

#include "ui/main_state.h"
#include "ui/main_window.h"

namespace lx9 {

void StartExtendedScan(HWND window, int32_t) {
    busy = 0;
    ShowArrowCursor();
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace lx9
