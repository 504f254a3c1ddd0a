// What the final and extended scans share before a frame's image is read: the exposure measurement of
// negative film and the scan window of the final scan.
#pragma once

#include <cstdint>

#include "device/report_target.h"

namespace lx9 {

// 1 standard, 2 extended: the window mode of the final scan's window.
extern int32_t finalWindowMode;

// A measuring pass of the frame, then its new exposure from the readout. The status poll is bounded: a
// scanner that never turns idle (or stops answering) is reported on window and 0 is returned; so is a failed
// allocation (memoryFailed set). A failed read keeps the exposure the frame had.
uint16_t MeasureExposure(ReportTarget window, int32_t frame);

// The scan window of cropRect for the frame (after a measurement on negative film), then SCAN. 1 when both
// commands succeed; 0 also when the measurement ended in a report (the window is then gone).
int32_t SetupFinalFrame(ReportTarget window, int32_t frame);

// The preview's window (the whole frame in standard mode, 256 x 896) after a measurement on negative film,
// then SCAN; as SetupFinalFrame.
int32_t SetupPreviewWindow(ReportTarget window, int32_t frame);

}  // namespace lx9
