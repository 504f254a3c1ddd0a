#include "ui/workflows/exposure_measure.h"

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/error_report.h"
#include "ui/workflows/scan_setup.h"

namespace lx9 {

int32_t finalWindowMode = kWindowStandard;

namespace {

constexpr size_t kMeasureBytes = 21504;
constexpr uint32_t kPollMs = 100;
// Long enough for the slowest measuring pass of the real device, short enough not to look hung.
constexpr int kPollLimit = 100;
constexpr int32_t kPreviewLines = 896;
constexpr int32_t kPreviewSamples = 512;

bool WaitIdle() {
    for (int poll = 0; poll < kPollLimit; ++poll) {
        uint8_t ready = 0;
        if (GetDeviceStatus(&ready, &scannerWord, &cartridgeWord, nullptr) && (ready & kReadyIdle))
            return true;
        WaitMs(kPollMs);
    }
    return false;
}

}  // namespace

uint16_t MeasureExposure(ReportTarget window, int32_t frame) {
    if (frame < 1 || frame > kMaxFrames) return 0;
    SetupIndexFrame(frame, 1);
    if (!WaitIdle()) {
        ReportDeviceError(window);
        return 0;
    }
    uint8_t* buffer = AllocLockedBlock(kMeasureBytes);
    if (buffer == nullptr) {
        memoryFailed = 1;
        ReportDeviceError(window);
        return 0;
    }
    if (ReadDeviceData(kReadImage, 1, 1, 0, buffer)) {
        BaseData base{};
        GetBaseData(&base, buffer, 0);
        frameExposure[frame] = GetNewCCDShutter(frameBaseExposure[frame], base.v);
    }
    FreeLockedBlock(buffer);
    return frameExposure[frame];
}

int32_t SetupFinalFrame(ReportTarget window, int32_t frame) {
    if (frame < 1 || frame > kMaxFrames) return 0;
    if (filmType == kFilmNegative) {
        MeasureExposure(window, frame);
        if (ReportEnded(window)) return 0;
    }
    ScanWindow scan{static_cast<uint8_t>(finalWindowMode),
                    static_cast<uint8_t>(filmType),
                    2,
                    static_cast<uint8_t>(frame),
                    1,
                    &frameExposure[frame],
                    cropRect.top / 2,
                    cropRect.left,
                    (cropRect.bottom - cropRect.top) / 2,
                    cropRect.right - cropRect.left};
    return SetScanWindow(&scan) && StartScan() ? 1 : 0;
}

int32_t SetupPreviewWindow(ReportTarget window, int32_t frame) {
    if (frame < 1 || frame > kMaxFrames) return 0;
    if (filmType == kFilmNegative) {
        MeasureExposure(window, frame);
        if (ReportEnded(window)) return 0;
    }
    ScanWindow scan{kWindowStandard,
                    static_cast<uint8_t>(filmType),
                    2,
                    static_cast<uint8_t>(frame),
                    1,
                    &frameExposure[frame],
                    0,
                    0,
                    kPreviewSamples / 2,
                    kPreviewLines};
    return SetScanWindow(&scan) && StartScan() ? 1 : 0;
}

}  // namespace lx9
