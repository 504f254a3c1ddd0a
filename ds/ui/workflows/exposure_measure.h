// What the final and extended scans share before a frame's image is read: the exposure measurement of
// negative film and the scan window of the final scan.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

// 1 standard, 2 extended: the window mode of the final scan's window.
extern int32_t finalWindowMode;

// A measuring pass of the frame, then its new exposure from the readout. The status poll is bounded: a
// scanner that never turns idle (or stops answering) is reported on window and 0 is returned; so is a failed
// allocation (memoryFailed set). A failed read keeps the exposure the frame had.
uint16_t MeasureExposure(HWND window, int32_t frame);

// The scan window of cropRect for the frame (after a measurement on negative film), then SCAN. 1 when both
// commands succeed; 0 also when the measurement ended in a report (the window is then gone).
int32_t SetupFinalFrame(HWND window, int32_t frame);

}  // namespace lx9
