// Index scan of all frames: groups of five from the top of the cartridge down, one step per tick.
#include "chain/global_memory.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "twain/notify.h"
#include "twain/transfer_image.h"
#include "ui/index_sheet.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/index_workflows.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/step_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

constexpr int32_t kStepSetup = 0;
constexpr int32_t kStepWait = 1;
constexpr int32_t kStepRead = 12;
constexpr int32_t kStepRepaint = 13;
constexpr int32_t kStepNextGroup = 2;
constexpr int kGroupFrames = 5;
constexpr size_t kRawBytes = 21504;
constexpr size_t kExtractionBytes = 107520;

bool stepRunning = false;

void SetupStep(HWND window) {
    if (indexAllDone || !AnyFrameWithoutIndexImage()) {
        groupBottom = 0;
        workflowStep = kStepNextGroup;
        return;
    }
    if (StatusGuard(window) != DeviceCheck::kIdle) return;
    if (!SetupIndexGroup(groupTop, groupBottom)) return FailStep(window);
    workflowStep = kStepWait;
}

void WaitStep(HWND window) {
    if (StatusGuard(window) == DeviceCheck::kIdle) workflowStep = kStepRead;
}

void ReadStep(HWND window) {
    if (LenientStatusGuard(window) != DeviceCheck::kIdle) return;
    uint8_t* raw = AllocLockedBlock(kRawBytes);
    PictImage image{raw ? AllocLockedBlock(kExtractionBytes) : nullptr, kIndexImageHeight, kIndexImageWidth};
    if (image.data == nullptr) {
        FreeLockedBlock(raw);
        return FailStepForMemory(window);
    }
    // Read index 0 is the highest frame of the group.
    uint32_t readIndex = kGroupFrames - 1;
    for (int frame = groupBottom + 1; frame <= groupTop; ++frame, --readIndex) {
        if (indexWorkImages[frame].data != nullptr) continue;
        // A frame that cannot be read stays without an image; the others go on.
        if (!ReadDeviceData(kReadImage, 1, 1, readIndex, raw)) continue;
        if (!MakeIndexImage(window, frame, &image, raw)) break;
    }
    FreeLockedBlock(image.data);
    FreeLockedBlock(raw);
    if (WindowEnded(window)) return;
    repaintCounter = groupTop;
    workflowStep = kStepRepaint;
}

void RepaintStep(HWND window) {
    if (repaintCounter != groupBottom) {
        InvalidateFrameCell(window, repaintCounter--);
    } else {
        workflowStep = kStepNextGroup;
    }
}

void NextGroupStep(HWND window) {
    if (groupBottom != 0) {
        groupTop -= kGroupFrames;
        groupBottom -= kGroupFrames;
        workflowStep = kStepSetup;
        if (groupTop == 25 && secondPage == 1) ShowFirstPage(window);
        return;
    }
    if (indexSheetRequested == 1) {
        HGLOBAL sheet = BuildIndexSheet(frameCount, indexImages);
        if (sheet == nullptr) return FailStepForMemory(window);
        StoreTransferImage(sheet);
        NotifyTransferReady();
        indexSheetRequested = 0;
        // The application may have taken the image and disabled the source meanwhile.
        if (WindowEnded(window)) return;
    }
    indexAllDone = 1;
    busy = 0;
    ShowArrowCursor();
    EndIndexAll(window, nullptr);
}

}  // namespace

void StartIndexAll(HWND window) {
    if (StartGuard(window) == DeviceCheck::kEnded) return;
    ShowBusyControls(window);
    timerJob = kJobIndexAll;
    workflowStep = kStepSetup;
    currentFrame = selectedFrames[0];
    jobFrameCount = groupTop = frameCount;
    groupBottom = frameCount - kGroupFrames;
    SetTimer(window, kStepTimer, kStepPeriodMs, nullptr);
}

void IndexAllStep(HWND window) {
    StepGuard guard(stepRunning);
    if (!guard.Taken()) return;
    if (stopRequested) {
        busy = 0;
        ShowArrowCursor();
        EndIndexAll(window, nullptr);
        indexSheetRequested = 0;
        return;
    }
    switch (workflowStep) {
        case kStepSetup:
            return SetupStep(window);
        case kStepWait:
            return WaitStep(window);
        case kStepRead:
            return ReadStep(window);
        case kStepRepaint:
            return RepaintStep(window);
        case kStepNextGroup:
            return NextGroupStep(window);
        default:
            return;
    }
}

void EndIndexAll(HWND window, uint8_t* block) {
    FreeLockedBlock(block);
    jobPosition = 0;
    currentFrame = 0;
    jobFrameCount = 0;
    stopRequested = 0;
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace lx9
