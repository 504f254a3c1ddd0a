// The eject sequence of the main window: wait for the scanner to be idle, then eject the cartridge.
#pragma once

#include "device/report_target.h"

namespace lx9 {

// Polls the status until the scanner is idle (bounded: a scanner that stays busy is reported like a failed
// request), then ejects. Failures go to ReportDeviceError(window). The window, its images and the selection
// stay as they are after a successful eject.
void EjectCartridgeWhenIdle(ReportTarget window);

// The bound of the wait: polls at most this many times, this far apart (about 30 s). Tests may shorten it;
// 0, 0 restores it.
constexpr int kEjectPolls = 300;
constexpr unsigned kEjectPollDelayMs = 100;
void SetEjectPolling(int polls, unsigned delayMs);

}  // namespace lx9
