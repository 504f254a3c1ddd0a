#include "ui/workflows/status_guard.h"

#include "device/commands.h"
#include "device/preparation_state.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "twain/source_state.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

namespace lx9 {

namespace {

uint8_t readyFlags = 0;

enum class OnFailure { kReport, kKillTimerAndReport, kRetry };

DeviceCheck Guard(HWND window, OnFailure onFailure) {
    if (!GetDeviceStatus(&readyFlags, &scannerWord, &cartridgeWord, nullptr)) {
        if (onFailure == OnFailure::kRetry) return DeviceCheck::kBusy;
        if (onFailure == OnFailure::kKillTimerAndReport) KillTimer(window, kStepTimer);
        ReportDeviceError(window);
        return DeviceCheck::kEnded;
    }
    const DeviceCheck checks = ScannerAndCartridgeChecks(window);
    if (checks != DeviceCheck::kIdle) return checks;
    return (readyFlags & kReadyIdle) ? DeviceCheck::kIdle : DeviceCheck::kBusy;
}

}  // namespace

DeviceCheck ScannerAndCartridgeChecks(HWND window) {
    switch (CheckScannerUnchanged()) {
        case kScannerRestarted:
            RestartPreparation(window);
            return DeviceCheck::kEnded;
        case kScannerStandbyOff:
            standbyOff = 1;
            FailStep(window);
            return DeviceCheck::kEnded;
        default:
            break;
    }
    if (CheckCartridgeUnchanged() == 0) {
        RestartPreparation(window);
        return DeviceCheck::kEnded;
    }
    return DeviceCheck::kIdle;
}

DeviceCheck StatusGuard(HWND window) {
    return Guard(window, OnFailure::kKillTimerAndReport);
}

DeviceCheck StartGuard(HWND window) {
    return Guard(window, OnFailure::kReport);
}

DeviceCheck LenientStatusGuard(HWND window) {
    return Guard(window, OnFailure::kRetry);
}

void FailStep(HWND window) {
    KillTimer(window, kStepTimer);
    ReportDeviceError(window);
}

void FailStepForMemory(HWND window) {
    memoryFailed = 1;
    FailStep(window);
}

bool WindowEnded(HWND window) {
    return ReportEnded(window);
}

}  // namespace lx9
