// The index scans: of all frames (in groups of five from the top) and of the selected frames. Each step does
// at most one device command sequence and returns, so the window stays responsive and STOP is seen.
#pragma once

#include <windows.h>

#include <cstdint>

#include "lx9pict.h"
#include "ui/workflows/scan_setup.h"

namespace lx9 {

// Start operations: the status guard, then the busy controls and timer 1.
void StartIndexAll(HWND window);
void StartIndexSelected(HWND window);

// One step each, run by timer 1 (timerJob 0 and 3).
void IndexAllStep(HWND window);
void IndexSelectedStep(HWND window, int32_t total);

// Counters back to 0, timer 1 stopped, the ready controls. EndIndexAll frees the block it is given (may be
// null).
void EndIndexAll(HWND window, uint8_t* block);
void EndIndexSelected(HWND window);

// One frame's readout (raw, 21504 bytes) made into its work image and index image. image is the extraction
// buffer, replaced by the chain. False when the window ended on a failure (already reported).
bool MakeIndexImage(HWND window, int frame, PictImage* image, uint8_t* raw);

}  // namespace lx9
