// Has the scanner restarted, or the cartridge changed, since start-up? Decided from the words of the latest
// status request against those start-up remembered.
#pragma once

#include <cstdint>

namespace lx9 {

// The preparing dialog's state (110 wake the scanner ... 116 finish); 110 when the module is loaded. The
// checks set where a new preparation has to resume.
extern int32_t prepState;
constexpr int32_t kPrepWake = 110;
constexpr int32_t kPrepWaitCartridge = 113;

// 1: the standby switch is off (scannerWord 0); 0: the same power period as at start-up; 2: the scanner has
// restarted (prepState becomes 110).
int32_t CheckScannerUnchanged();
constexpr int32_t kScannerStandbyOff = 1;
constexpr int32_t kScannerRestarted = 2;

// 1: the cartridge of start-up is still loaded; 0: another one, or none (prepState becomes 113).
int32_t CheckCartridgeUnchanged();

}  // namespace lx9
