// The extended scan: SCAN in extended mode previews the frame in the crop window, then scans the rectangle.
#include "ui/workflows/extended_scan.h"

#include "device/commands.h"
#include "device/error_report.h"
#include "ui/res/crop_window_ids.h"
#include "twain/source_state.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/window_layout.h"
#include "ui/workflows/exposure_measure.h"
#include "ui/workflows/preview_scan.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

constexpr int32_t kFinalSetupStep = 6;

}  // namespace

void StartExtendedScan(HWND window, int32_t frame) {
    busy = 1;
    ShowWaitCursor();
    previewFrame = frame;
    EnableAllControls(window, false);
    SetPreviewBuffersRelease(FreePreviewBuffers);
    cropPreviewStep = PreviewScanStep;
    cropDisplayStep = MakePreviewDisplay;
    previewStep = 9;
    const int id = TemplateForLanguage(IDD_CROP_ENGLISH, IDD_CROP_FRENCH, IDD_CROP_GERMAN);
    const INT_PTR result = DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(id), window, CropWindowProc, 0);
    if (WindowEnded(window)) return;  // the preview ended in a report or a new preparation
    if (result == 1) {
        RunExtendedFinal(window, frame);
        return;
    }
    // EXIT (or a window that could not be made): the main window is ready again.
    busy = 0;
    ShowArrowCursor();
    ShowReadyControls(window);
}

void RunExtendedFinal(HWND window, int32_t) {
    jobFrameCount += SelectionLength();
    workflowStep = kFinalSetupStep;
    timerJob = kJobFinal;
    currentFrame = selectedFrames[0];
    finalWindowMode = kWindowExtended;
    SetTimer(window, kStepTimer, kStepPeriodMs, nullptr);
}

}  // namespace lx9
