// The preview scan of the extended scan.
#include "ui/workflows/preview_scan.h"

#include <cstring>

#include "chain/bitmap_header.h"
#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "chain/transform_image.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/preparation_state.h"
#include "twain/source_state.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/window_layout.h"
#include "ui/workflows/exposure_measure.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/step_guard.h"

namespace lx9 {

int32_t previewStep = 0;

namespace {

constexpr int32_t kStepSetup = 9;
constexpr int32_t kStepWait = 10;
constexpr int32_t kStepAllocate = 21;
constexpr int32_t kStepRead = 22;
constexpr int32_t kStepProcess = 11;
constexpr UINT_PTR kCropTimer = 1;
constexpr int kPreviewLines = 896;
constexpr int kPreviewSamples = 512;

bool previewRunning = false;
size_t previewOffset = 0;

// The crop window ends before the report, so that its modal loop is over when the main window goes.
void CloseCrop(HWND crop) {
    KillTimer(crop, kCropTimer);
    EndDialog(crop, 0);
}

void Fail(HWND crop) {
    CloseCrop(crop);
    ReportDeviceError(mainDialog);
}

void FailForMemory(HWND crop) {
    memoryFailed = 1;
    Fail(crop);
}

// The status guard of the preview: failures and changes are handled through the main window.
DeviceCheck PreviewGuard(HWND crop) {
    uint8_t ready = 0;
    if (!GetDeviceStatus(&ready, &scannerWord, &cartridgeWord, nullptr)) {
        Fail(crop);
        return DeviceCheck::kEnded;
    }
    if (CheckScannerUnchanged() != 0 || CheckCartridgeUnchanged() == 0) {
        CloseCrop(crop);
        ScannerAndCartridgeChecks(mainDialog);
        return DeviceCheck::kEnded;
    }
    return (ready & kReadyIdle) ? DeviceCheck::kIdle : DeviceCheck::kBusy;
}

void FreeRaw() {
    FreeLockedBlock(previewRaw);
    previewRaw = nullptr;
}

int Process(HWND crop) {
    HWND main = mainDialog;
    previewFull = AllocLockedBlock(kPreviewFullBytes);
    if (previewFull == nullptr) {
        FailForMemory(crop);
        return 0;
    }
    PictImage image{previewFull, 0, 0};
    // Reported through the main window: a report on the crop window would leave the main window usable
    // with the port closed.
    frameExposure[previewFrame] =
        ProcessFrame(main, &image, previewRaw, kPreviewLines, kPreviewSamples, kModeStandard,
                     &frameBaseData[previewFrame], rotate180, frameExposure[previewFrame], previewFrame - 1);
    if (WindowEnded(main)) return 0;  // out of memory, reported (the buffers went with the report)
    previewFull = image.data;
    FreeRaw();
    if (image.rows != kPreviewSamples || image.cols != kPreviewLines) {
        Fail(crop);  // the chain refused the geometry: there is no preview to show
        return 0;
    }
    if (rotate180) {
        uint8_t* copy = AllocLockedBlock(kPreviewFullBytes);
        if (copy == nullptr) {
            FailForMemory(crop);
            return 0;
        }
        std::memcpy(copy, previewFull, kPreviewFullBytes);
        TransformImage(kPreviewLines, kPreviewSamples, copy, previewFull, 180);
        FreeLockedBlock(copy);
    }
    SetFrameNumberTitle(crop, previewFrame);
    ShowArrowCursor();
    busy = 0;
    return 1;
}

}  // namespace

int32_t SetupPreviewFrame(int32_t frame) {
    return SetupPreviewWindow(mainDialog, frame);
}

int PreviewScanStep(HWND crop, int32_t) {
    StepGuard guard(previewRunning);
    if (!guard.Taken()) return 0;
    if (previewFrame < 1 || previewFrame > kMaxFrames) {
        Fail(crop);
        return 0;
    }
    switch (previewStep) {
        case kStepSetup: {
            if (PreviewGuard(crop) != DeviceCheck::kIdle) return 0;
            HWND main = mainDialog;
            if (!SetupPreviewFrame(previewFrame)) {
                if (!WindowEnded(main)) Fail(crop);  // else the measurement reported already
                return 0;
            }
            previewStep = kStepWait;
            return 0;
        }
        case kStepWait:
            if (PreviewGuard(crop) == DeviceCheck::kIdle) previewStep = kStepAllocate;
            return 0;
        case kStepAllocate:
            if (PreviewGuard(crop) != DeviceCheck::kIdle) return 0;
            FreeRaw();
            previewRaw = AllocLockedBlock(kPreviewRawBytes);
            if (previewRaw == nullptr) {
                FailForMemory(crop);
                return 0;
            }
            previewOffset = 0;
            previewStep = kStepRead;
            return 0;
        case kStepRead:
            if (PreviewGuard(crop) != DeviceCheck::kIdle) return 0;
            if (!ReadDeviceData(kReadImage, 0, kPreviewBlockBytes, static_cast<uint32_t>(previewOffset),
                                previewRaw + previewOffset)) {
                Fail(crop);  // the report frees the raw block with the other preview buffers
                return 0;
            }
            previewOffset += kPreviewBlockBytes;
            DrawPreviewProgress(crop, GetDC(crop), previewOffset);
            if (previewOffset >= kPreviewRawBytes) previewStep = kStepProcess;
            return 0;
        case kStepProcess:
            return Process(crop);
        default:
            return 0;
    }
}

int MakePreviewDisplay(HWND crop, int32_t) {
    InitBitmapHeader(kPreviewWidth, kPreviewHeight, &previewDisplay.header);
    uint8_t* pixels = AllocLockedBlock(kPreviewDisplayBytes);
    if (pixels == nullptr) {
        FailForMemory(crop);
        return 0;
    }
    if (previewFull != nullptr) {
        const PictImage full{previewFull, kPreviewSamples, kPreviewLines};
        PictImage display{pixels, kPreviewHeight, kPreviewWidth};
        UseSizing(&full, &display, 512);
    } else {
        std::memset(pixels, 0, kPreviewDisplayBytes);
    }
    FreeLockedBlock(previewFull);
    previewFull = nullptr;
    previewDisplay.pixels = pixels;
    return 1;
}

}  // namespace lx9
