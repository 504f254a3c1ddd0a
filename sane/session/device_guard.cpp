#include "device_guard.h"

#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/error_report.h"
#include "device/preparation_state.h"

namespace lx9::sane {

DeviceCheck CheckDevice(ReportSink* sink) {
    uint8_t ready = 0;
    if (!GetDeviceStatus(&ready, &scannerWord, &cartridgeWord, nullptr)) {
        ReportDeviceError(sink);
        return DeviceCheck::kFailed;
    }
    switch (CheckScannerUnchanged()) {
        case kScannerRestarted:
            return DeviceCheck::kChanged;
        case kScannerStandbyOff:
            standbyOff = 1;
            ReportDeviceError(sink);
            return DeviceCheck::kFailed;
        default:
            break;
    }
    if (CheckCartridgeUnchanged() == 0) return DeviceCheck::kChanged;
    return (ready & kReadyIdle) ? DeviceCheck::kIdle : DeviceCheck::kBusy;
}

Outcome WaitIdle(ReportSink* sink, uint32_t boundMs, const std::atomic<bool>* cancel) {
    const uint32_t start = TickMs();
    for (;;) {
        if (cancel != nullptr && cancel->load()) return Fail(Status::kCancelled, "cancelled");
        switch (CheckDevice(sink)) {
            case DeviceCheck::kIdle:
                return {};
            case DeviceCheck::kFailed:
                return FromReport(*sink, "status");
            case DeviceCheck::kChanged:
                return Fail(Status::kIoError,
                            "the scanner restarted or the cartridge changed during the scan");
            case DeviceCheck::kBusy:
                break;
        }
        if (TickMs() - start >= boundMs)
            return Fail(Status::kDeviceBusy,
                        "the scanner stayed busy for " + std::to_string(boundMs) + " ms");
        WaitMs(kIdlePollMs);
    }
}

}  // namespace lx9::sane
