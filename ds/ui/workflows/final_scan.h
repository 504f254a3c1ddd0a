// The final scans (standard and extended) that SCAN starts. They are built with the final-scan workflow;
// until then these hooks only hand the window back in its ready state.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

// SCAN in standard mode with every selected frame indexed.
void StartFinalScan(HWND window);
// Timer 1's step while timerJob is 6.
void FinalStep(HWND window, int32_t total);

}  // namespace lx9
