// State of the scan workflows between the ticks of the main window's timer.
#pragma once

#include <cstdint>

#include "device/device_state.h"
#include "lx9pict.h"

namespace lx9 {

// The step of the running workflow: index all 0, 1, 12, 13, 2; index selected 3, 4, 5; final 6, 7, 100,
// 101, 8.
extern int32_t workflowStep;
extern int32_t jobFrameCount;  // frames in the job
extern int32_t jobPosition;    // frames of the job finished so far
// Index all: the group being scanned is frames groupBottom + 1 .. groupTop; the next cell to repaint.
extern int32_t groupTop;
extern int32_t groupBottom;
extern int32_t repaintCounter;
extern int32_t indexAllDone;  // an index-all run completed (cleared when the main window is made)

// The processed 112 x 64 image of each frame (entry 0 unused); data is a locked movable block or null.
extern PictImage indexWorkImages[kFrameSlots];

// Counters, steps and flags back to their values for a new main window (the work images are freed).
void ResetWorkflowState();
void FreeIndexWorkImages();

}  // namespace lx9
