// Index scan of the selected frames, in ascending order, each shown on its page before it is scanned.
#include "chain/global_memory.h"
#include "device/commands.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/index_workflows.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/step_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

constexpr int32_t kStepSetup = 3;
constexpr int32_t kStepWait = 4;
constexpr int32_t kStepRead = 5;
constexpr int kPageFrames = 25;
constexpr size_t kRawBytes = 21504;

bool stepRunning = false;

bool HasImage(int frame) {
    return frame >= 1 && frame <= kMaxFrames && HasIndexPixels(indexImages[frame]);
}

void ShowPageOf(HWND window, int frame) {
    if (frame <= kPageFrames && secondPage == 1) {
        ShowFirstPage(window);
    } else if (frame > kPageFrames && secondPage == 0) {
        ShowSecondPage(window);
    }
}

void Advance(HWND window, int32_t total) {
    ++jobPosition;
    if (jobPosition >= total || jobPosition >= kMaxFrames || selectedFrames[jobPosition] == 0) {
        busy = 0;
        ShowArrowCursor();
        EndIndexSelected(window);
        return;
    }
    workflowStep = kStepSetup;
    currentFrame = selectedFrames[jobPosition];
}

void SetupStep(HWND window) {
    ShowPageOf(window, currentFrame);
    if (HasImage(currentFrame)) {
        workflowStep = kStepRead;
        return;
    }
    if (StatusGuard(window) != DeviceCheck::kIdle) return;
    if (!SetupIndexFrame(currentFrame, 2)) return FailStep(window);
    workflowStep = kStepWait;
}

void WaitStep(HWND window) {
    if (StatusGuard(window) == DeviceCheck::kIdle) workflowStep = kStepRead;
}

void ReadStep(HWND window, int32_t total) {
    if (HasImage(currentFrame)) return Advance(window, total);
    // A scanner still busy is asked again at the next tick: the frame is not passed over without its image.
    if (StatusGuard(window) != DeviceCheck::kIdle) return;
    uint8_t* raw = AllocLockedBlock(kRawBytes);
    if (raw == nullptr) return FailStepForMemory(window);
    if (!ReadDeviceData(kReadImage, 1, 1, 0, raw)) {
        FreeLockedBlock(raw);
        return FailStep(window);
    }
    PictImage image{AllocLockedBlock(kIndexImageBytes), kIndexImageHeight, kIndexImageWidth};
    if (image.data == nullptr) {
        FreeLockedBlock(raw);
        return FailStepForMemory(window);
    }
    const bool made = MakeIndexImage(window, currentFrame, &image, raw);
    FreeLockedBlock(image.data);
    FreeLockedBlock(raw);
    if (!made) return;
    InvalidateFrameCell(window, currentFrame);
    Advance(window, total);
}

}  // namespace

void StartIndexSelected(HWND window) {
    if (StartGuard(window) == DeviceCheck::kEnded) return;
    ShowBusyControls(window);
    SortSelection();
    jobFrameCount += SelectionLength();
    workflowStep = kStepSetup;
    timerJob = kJobIndexSelected;
    currentFrame = selectedFrames[0];
    SetTimer(window, kStepTimer, kStepPeriodMs, nullptr);
}

void IndexSelectedStep(HWND window, int32_t total) {
    StepGuard guard(stepRunning);
    if (!guard.Taken()) return;
    if (stopRequested) {
        // The frames finished so far keep their images; none is ever half made between two steps.
        busy = 0;
        ShowArrowCursor();
        EndIndexSelected(window);
        return;
    }
    switch (workflowStep) {
        case kStepSetup:
            return SetupStep(window);
        case kStepWait:
            return WaitStep(window);
        case kStepRead:
            return ReadStep(window, total);
        default:
            return;
    }
}

void EndIndexSelected(HWND window) {
    jobPosition = 0;
    currentFrame = 0;
    jobFrameCount = 0;
    stopRequested = 0;
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace lx9
