// The index sheet: every frame's index image on one picture, offered to the application after an index scan.
#pragma once

#include <windows.h>

#include "chain/index_image.h"

namespace lx9 {

// 5 columns and 3 (15 frames), 5 (25) or 8 (any other count) rows of cells separated and surrounded by black
// bands 14 pixels wide; frame 1 top left. A packed 24-bit bottom-up DIB (header + pixels) in one unlocked
// movable block, or null when it cannot be allocated. images has 41 entries indexed by frame number; a frame
// without an index image gets a plain dark grey cell.
HGLOBAL BuildIndexSheet(int frameCount, const IndexImage* images);

constexpr int kSheetBand = 14;
constexpr int kSheetColumns = 5;
constexpr int kSheetWidth = kSheetBand + kSheetColumns * (kIndexImageWidth + kSheetBand);  // 644
constexpr uint8_t kMissingCellLevel = 0x40;

// Rows of cells for a frame count.
int IndexSheetRows(int frameCount);

}  // namespace lx9
