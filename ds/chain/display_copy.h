// The display copy of a frame image for an index cell: the frame mirrored left to right.
#pragma once

#include <cstdint>

#include "chain/index_image.h"
#include "device/report_target.h"

namespace lx9 {

// Allocates the entry's pixel block (releasing one it already had) and fills it with src (rows x cols pixels,
// packed, 3 x cols a multiple of 4) with every row reversed. The header is the caller's (InitBitmapHeader).
// On an allocation failure sets memoryFailed and reports through ReportDeviceError(window); the entry is then
// left without pixels.
void MakeDisplayCopy(ReportTarget window, const uint8_t* src, int rows, int cols, IndexImage* entry);

}  // namespace lx9
