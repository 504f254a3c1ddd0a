// Where device start-up stands, and the checks that tell start-up and the workflows whether the scanner
// or the cartridge changed since start-up looked at them.
#pragma once

#include <cstdint>

namespace lx9 {

// The preparing dialog's state machine.
enum PrepState : int32_t {
    kPrepWake = 110,         // wake the scanner from standby
    kPrepCalibrating = 111,  // wait for its calibration
    kPrepLoadShading = 112,  // read the calibration, build the shading tables
    kPrepCartridge = 113,    // wait for a cartridge
    kPrepStatus = 114,       // read the status block
    kPrepFilm = 115,         // read the film information
    kPrepFinish = 116,       // starting exposures, the main window
};

// 110 when the module is loaded; kept between dialogs so that a re-shown dialog resumes where the checks
// below left it.
extern int32_t prepState;
// 1: a timer tick may run a step (0 while one runs).
extern int32_t tickIdle;
// 1 until the first preparation of the module's lifetime has finished.
extern int32_t firstPreparation;

// scannerWord of the latest status: 0 (standby off) -> 1; the start-up word -> 0; another (the scanner
// restarted) -> 2, with prepState back to 110.
int32_t CheckScannerUnchanged();
constexpr int32_t kScannerStandbyOff = 1;
constexpr int32_t kScannerRestarted = 2;
// cartridgeWord of the latest status: the start-up word -> 1; another -> 0, with prepState back to 113.
int32_t CheckCartridgeUnchanged();

}  // namespace lx9
