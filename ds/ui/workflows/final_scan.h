// The final scans (standard and extended) that SCAN starts: each selected frame read in blocks of 32 lines
// under the progress dialog, processed at full size and offered to the application.
#pragma once

#include <windows.h>

#include <cstdint>

#include "lx9pict.h"
#include "ui/workflows/exposure_measure.h"

namespace lx9 {

extern PictImage finalImage;  // the image of the last final scan

// SCAN in standard mode with every selected frame indexed.
void StartFinalScan(HWND window);
// Timer 1's step while timerJob is 6.
void FinalStep(HWND window, int32_t total);
// Counters to 0, timer 1 stopped, the ready controls; discard frees finalImage.
void EndFinal(HWND window, bool discard);

// True while the application still holds an offered image it has not taken (or refused): the next frame's
// image must wait for it.
bool TransferStillPending();

}  // namespace lx9
