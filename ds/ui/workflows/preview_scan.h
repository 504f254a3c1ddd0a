// The preview scan of the extended scan: one frame read at standard size on the crop window's timer, then
// halved into the 448 x 256 display.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

// The step of the preview: 9 set up, 10 wait, 21 allocate, 22 read, 11 process.
extern int32_t previewStep;

// The scan window of the whole frame at standard size (after a measurement on negative film), then SCAN.
// 1 when both commands succeed; 0 also when the measurement ended in a report through the main window.
int32_t SetupPreviewFrame(int32_t frame);

// One step of the preview of previewFrame, run by the crop window's timer. 1 once the full-size preview is
// complete (the crop window's title then names the frame). Failures are reported through the main window,
// which ends the crop window too; a scanner or cartridge change restarts the preparation.
int PreviewScanStep(HWND cropWindow, int32_t);

// The 448 x 256 display of the full-size preview, which is freed.
int MakePreviewDisplay(HWND cropWindow, int32_t frame);

}  // namespace lx9
