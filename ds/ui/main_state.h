// The cartridge's index and the selection, shared by the main window and the workflows it starts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "chain/chain_state.h"  // rotate180, which the chain reads for every image it makes
#include "chain/index_image.h"
#include "device/device_state.h"  // frameCount, kFrameSlots

namespace lx9 {

// Index images by frame number (1..40 used); a null pointer means the frame has none yet.
extern IndexImage indexImages[kFrameSlots];

// Frame numbers in the order of selection (or ascending once sorted), ended by the first 0; at most 40
// numbers and the ending 0 are used, never a number twice.
constexpr int kSelectionSlots = 80;
extern int32_t selectedFrames[kSelectionSlots];

extern int32_t secondPage;           // 0: cells show frames 1-25; 1: cells 1-15 show frames 26-40
extern int32_t scanMode;             // 0 standard, 1 extended, 2 index
extern int32_t busy;                 // a workflow is running: wait cursor, no popup menu
extern int32_t stopRequested;        // set by STOP, polled and cleared by the workflows
extern int32_t indexSheetRequested;  // SCAN in index mode: offer the index sheet after index-all
extern int32_t timerJob;             // what timer 1 steps: 0 index all, 3 index selected, 6 final scan
extern int32_t currentFrame;         // the frame the running workflow works on

constexpr int32_t kScanStandard = 0;
constexpr int32_t kScanExtended = 1;
constexpr int32_t kScanIndexSheet = 2;
constexpr int32_t kJobIndexAll = 0;
constexpr int32_t kJobIndexSelected = 3;
constexpr int32_t kJobFinal = 6;

// Main window timers: 1 steps the running workflow, 2 is the pause between two frames of a final scan.
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kStepPeriodMs = 100;
constexpr UINT_PTR kPauseTimer = 2;
constexpr UINT kPauseMs = 3000;

// Number of frames in selectedFrames.
int SelectionLength();

// The system cursors of the source's windows.
void ShowWaitCursor();
void ShowArrowCursor();

}  // namespace lx9
