// The final scan of every selected frame, one by one, each offered to the application when complete.
#include "ui/workflows/final_scan.h"

#include <cstring>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "chain/transfer_pixels.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/step_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

PictImage finalImage{nullptr, 0, 0};

namespace {

constexpr int32_t kStepSetup = 6;
constexpr int32_t kStepWait = 7;
constexpr int32_t kStepAllocate = 100;
constexpr int32_t kStepRead = 101;
constexpr int32_t kStepProcess = 8;
constexpr int32_t kLinesPerRead = 32;

bool finalRunning = false;
bool imageRunning = false;

int32_t finalLines = 0;
int32_t finalSamples = 0;
int32_t linesToGo = 0;
uint32_t readOffset = 0;
uint8_t* rawBlock = nullptr;

uint32_t RawBytes() {
    return static_cast<uint32_t>(finalLines) * static_cast<uint32_t>(finalSamples) * 2;
}

void FreeRaw() {
    FreeLockedBlock(rawBlock);
    rawBlock = nullptr;
}

void FreeFinalImage() {
    FreeLockedBlock(finalImage.data);
    finalImage = PictImage{nullptr, 0, 0};
}

// A failure that ends the scan: nothing of the frame is kept and the dialog goes with the window.
void Fail(HWND window, bool memory) {
    FreeRaw();
    ShowScanProgress(moduleInstance, window, 0, 0);
    if (memory) {
        FailStepForMemory(window);
    } else {
        FailStep(window);
    }
}

// 1 when finalImage is complete.
int ImageStep(HWND window) {
    StepGuard guard(imageRunning);
    if (!guard.Taken()) return 0;
    switch (workflowStep) {
        case kStepSetup:
            // The previous frame's image is never replaced while the application has not taken it.
            if (TransferStillPending()) return 0;
            if (StatusGuard(window) != DeviceCheck::kIdle) return 0;
            if (!SetupFinalFrame(window, currentFrame)) {
                if (!WindowEnded(window)) FailStep(window);
                return 0;
            }
            workflowStep = kStepWait;
            return 0;
        case kStepWait:
            if (StatusGuard(window) == DeviceCheck::kIdle) workflowStep = kStepAllocate;
            return 0;
        case kStepAllocate:
            finalLines = cropRect.right - cropRect.left;
            if (finalLines < 0) finalLines = -finalLines;
            finalSamples = cropRect.bottom - cropRect.top;
            if (finalSamples < 0) finalSamples = -finalSamples;
            if (StatusGuard(window) != DeviceCheck::kIdle) return 0;
            FreeRaw();
            rawBlock = AllocLockedBlock(RawBytes());
            if (rawBlock == nullptr) {
                Fail(window, true);
                return 0;
            }
            readOffset = 0;
            linesToGo = finalLines;
            workflowStep = kStepRead;
            return 0;
        case kStepRead: {
            const DeviceCheck check = StatusGuard(window);
            if (check == DeviceCheck::kEnded) {
                FreeRaw();
                ShowScanProgress(moduleInstance, window, 0, 0);
                return 0;
            }
            if (check != DeviceCheck::kIdle) return 0;
            const int32_t n = linesToGo < kLinesPerRead ? linesToGo : kLinesPerRead;
            const uint32_t bytes = static_cast<uint32_t>(n) * static_cast<uint32_t>(finalSamples) * 2;
            if (!ReadDeviceData(kReadImage, 0, bytes, readOffset, rawBlock + readOffset)) {
                Fail(window, false);
                return 0;
            }
            readOffset += bytes;
            linesToGo -= n;
            if (!ShowScanProgress(moduleInstance, window, static_cast<int32_t>(readOffset),
                                  static_cast<int32_t>(RawBytes()))) {
                FreeRaw();
                stopRequested = 1;
                busy = 0;
                ShowArrowCursor();
                return 0;
            }
            if (readOffset >= RawBytes() || linesToGo <= 0) workflowStep = kStepProcess;
            return 0;
        }
        case kStepProcess: {
            FreeFinalImage();
            finalImage.data = AllocLockedBlock(static_cast<size_t>(finalLines) * finalSamples * 3);
            if (finalImage.data == nullptr) {
                Fail(window, true);
                return 0;
            }
            frameExposure[currentFrame] = ProcessFrame(
                window, &finalImage, rawBlock, finalLines, finalSamples, finalWindowMode,
                &frameBaseData[currentFrame], rotate180, frameExposure[currentFrame], currentFrame - 1);
            FreeRaw();
            ShowScanProgress(moduleInstance, window, 0, 0);
            if (WindowEnded(window)) return 0;  // the chain ran out of memory and reported it
            if (finalImage.rows <= 0 || finalImage.cols <= 0) {
                FailStep(window);  // the geometry did not fit: never offer an empty image
                return 0;
            }
            return 1;
        }
        default:
            return 0;
    }
}

// The finished image as a DIB in a movable block, turned when rotate180 is set; null on a failed allocation.
HGLOBAL MakeTransferBlock() {
    const size_t pixels = TransferPixelBytes(finalImage);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + pixels);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    std::memset(header, 0, sizeof *header);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = finalImage.cols;
    header->biHeight = finalImage.rows;
    header->biPlanes = 1;
    header->biBitCount = 24;
    CopyTransferPixels(finalImage, rotate180, reinterpret_cast<uint8_t*>(header + 1));
    GlobalUnlock(block);
    return block;
}

}  // namespace

bool TransferStillPending() {
    return transferImage != nullptr && sourceState >= kState6TransferReady;
}

void StartFinalScan(HWND window) {
    if (StartGuard(window) == DeviceCheck::kEnded) return;
    EnableAllControls(window, false);
    SortSelection();
    jobFrameCount += SelectionLength();
    cropRect = RECT{0, 0, 896, 512};
    workflowStep = kStepSetup;
    timerJob = kJobFinal;
    currentFrame = selectedFrames[0];
    finalWindowMode = kWindowStandard;
    SetTimer(window, kStepTimer, kStepPeriodMs, nullptr);
}

void FinalStep(HWND window, int32_t total) {
    StepGuard guard(finalRunning);
    if (!guard.Taken()) return;
    if (stopRequested) {
        FreeRaw();
        ShowScanProgress(moduleInstance, window, 0, 0);
        busy = 0;
        ShowArrowCursor();
        EndFinal(window, true);
        return;
    }
    if (ImageStep(window) != 1) return;
    HGLOBAL block = MakeTransferBlock();
    if (block == nullptr) return FailStepForMemory(window);
    StoreTransferImage(block);
    NotifyTransferReady();
    if (finalWindowMode == kWindowExtended) EndFinal(window, false);
    ++jobPosition;
    if (jobPosition >= total || jobPosition >= kMaxFrames || selectedFrames[jobPosition] == 0) {
        EndFinal(window, false);
        busy = 0;
        ShowArrowCursor();
        return;
    }
    workflowStep = kStepSetup;
    currentFrame = selectedFrames[jobPosition];
    KillTimer(window, kStepTimer);
    SetTimer(window, kPauseTimer, kPauseMs, nullptr);
}

void EndFinal(HWND window, bool discard) {
    if (discard) FreeFinalImage();
    jobPosition = 0;
    currentFrame = 0;
    jobFrameCount = 0;
    stopRequested = 0;
    KillTimer(window, kStepTimer);
    ShowReadyControls(window);
}

}  // namespace lx9
