// The start-up's device work run to its end without a timer: the preparing dialog's steps one after the
// other, each wait bounded.
#pragma once

#include <cstdint>

#include "outcome.h"

namespace lx9::sane {

// Runs the steps from prepState to the starting exposures. kNoDocs when no cartridge came within
// cartridgeWaitMs (the port stays open and prepState at 113); kDeviceBusy when another state's condition
// did not come within kStateBoundMs; a reported failure otherwise (the port is closed).
Outcome RunPreparation(ReportSink* sink, uint32_t cartridgeWaitMs);

// The calibration (3 s on the real scanner) and the film information (2.5 s) come well within it.
constexpr uint32_t kStateBoundMs = 30000;
// Pause between the polls of a state whose condition does not hold yet.
constexpr uint32_t kPreparationPollMs = 20;
// The wake-up as the dialog does it: 1 s between attempts, 30 busy polls at most.
constexpr uint32_t kWakePollMs = 1000;
constexpr int kWakeBusyPolls = 30;
// A scanner that keeps restarting (or cartridges that keep changing) is not waited for.
constexpr int kMaxRestarts = 5;

}  // namespace lx9::sane
