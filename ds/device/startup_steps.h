// The device work of start-up, one step of the preparation state machine (prepState, 110 to 116) per call:
// wake the scanner, wait for its calibration, build the shading tables, wait for a cartridge, read the status
// block and the film information, compute the starting exposures. The preparing dialog runs a step per timer
// tick; a front end without windows runs them in a loop. What a step does to a window is the caller's.
#pragma once

#include <cstdint>

namespace lx9 {

enum class StepEnd {
    kStay,      // the state's condition does not hold yet: run the same state again later
    kAdvanced,  // prepState moved on (116 done: the starting exposures are computed)
    kWentBack,  // the scanner restarted or the cartridge changed: prepState is back at 110 or 113
    kFailed,    // a command failed or a check refused (last error or an error flag says why)
};

// The wake-up's waits: pause between polls, and how many busy polls before the wake-up counts as failed.
struct WakeTiming {
    uint32_t pollDelayMs;
    int busyPolls;
};

// Runs the step of prepState. State 116 leaves prepState as it is.
StepEnd RunPreparationStep(const WakeTiming& timing);

}  // namespace lx9
