// The checks the session makes before it talks to the scanner, as the data source's workflow steps do: the
// status request, then whether the scanner restarted or the cartridge changed since start-up; and bounded
// waits for the scanner to turn idle.
#pragma once

#include <atomic>
#include <cstdint>

#include "outcome.h"

namespace lx9::sane {

enum class DeviceCheck {
    kIdle,
    kBusy,
    kChanged,  // the scanner restarted or the cartridge changed: prepState is back at 110 or 113
    kFailed,   // reported into the sink (standby off, or the status request failed)
};

DeviceCheck CheckDevice(ReportSink* sink);

// Polls until the scanner is idle: kDeviceBusy after boundMs, kCancelled when cancel turns true (may be
// null), kIoError when the scanner or the cartridge changed.
Outcome WaitIdle(ReportSink* sink, uint32_t boundMs, const std::atomic<bool>* cancel);

// How long a scan's steps wait for the scanner (the realistic extended scan keeps it busy 6 s).
constexpr uint32_t kIdleBoundMs = 30000;
constexpr uint32_t kIdlePollMs = 10;

}  // namespace lx9::sane
