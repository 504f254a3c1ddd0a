#include "ui/workflows/eject.h"

#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/error_report.h"

namespace lx9 {

namespace {

int ejectPolls = kEjectPolls;
unsigned ejectPollDelayMs = kEjectPollDelayMs;

// Idle within the bound; false when a status request failed or the scanner stayed busy.
bool WaitUntilIdle() {
    for (int poll = 0; poll < ejectPolls; ++poll) {
        uint8_t ready = 0;
        if (!GetDeviceStatus(&ready, &scannerWord, &cartridgeWord, nullptr)) return false;
        if (ready & kReadyIdle) return true;
        WaitMs(ejectPollDelayMs);
    }
    return false;
}

}  // namespace

void EjectCartridgeWhenIdle(ReportTarget window) {
    if (!WaitUntilIdle() || !DeviceControl(EjectCartridge)) ReportDeviceError(window);
}

void SetEjectPolling(int polls, unsigned delayMs) {
    ejectPolls = polls > 0 ? polls : kEjectPolls;
    ejectPollDelayMs = polls > 0 ? delayMs : kEjectPollDelayMs;
}

}  // namespace lx9
