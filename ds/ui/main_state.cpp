#include "ui/main_state.h"

#include <windows.h>

namespace lx9 {

IndexImage indexImages[kFrameSlots] = {};
int32_t selectedFrames[kSelectionSlots] = {};
int32_t secondPage = 0;
int32_t scanMode = kScanStandard;
int32_t busy = 0;
int32_t stopRequested = 0;
int32_t indexSheetRequested = 0;
int32_t timerJob = kJobIndexAll;
int32_t currentFrame = 0;

int SelectionLength() {
    int n = 0;
    while (n < kMaxFrames && selectedFrames[n] != 0) ++n;
    return n;
}

void ShowWaitCursor() {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void ShowArrowCursor() {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace lx9
