// The frame processing chain: a raw readout becomes a finished, correctly turned 24-bit image.
#pragma once

#include <cstdint>

#include "chain/shading.h"
#include "device/report_target.h"
#include "lx9pict.h"

namespace lx9 {

enum ScanMode : int { kModeIndex = 0, kModeStandard = 1, kModeExtended = 2 };

// Processes one frame.
//   image: its data is a locked movable block of at least lines x width x 3 bytes (the extraction buffer).
//          On success that block is freed and image holds a new block of width rows x lines columns, which
//          belongs to the caller (FreeLockedBlock).
//   raw: the readout as received (index 21504, standard 917504, extended 2 x width x lines bytes); corrected
//        in place, not freed.
//   lines, width: index 112 and 64, standard 896 and 512, extended |right - left| and |bottom - top| of
//                 cropRect (multiples of 4, inside the 1024 sensor columns).
//   window: where an allocation failure is reported.
//   base: the frame's BaseData, measured and refined for negative film (index and standard modes).
//   turn: rotate180 (index mode only). frameIndex: frame number - 1 (0..39).
// Returns the exposure for the frame's next scan: a new value for an index negative, else shutter. Returns 0
// and leaves image's block untouched when the output cannot be allocated (memoryFailed is set and the error
// reported through window) or when the geometry does not fit the mode (nothing is processed).
uint16_t ProcessFrame(ReportTarget window, PictImage* image, uint8_t* raw, int lines, int width, int mode,
                      BaseData* base, int32_t turn, uint16_t shutter, int frameIndex);

}  // namespace lx9
