// The index sheet's pixels: every frame's index image on one picture, laid out without any platform help.
#pragma once

#include <cstddef>
#include <cstdint>

#include "chain/index_image.h"

namespace lx9 {

// 5 columns and 3 (15 frames), 5 (25) or 8 (any other count) rows of cells separated and surrounded by black
// bands 14 pixels wide; frame 1 top left.
constexpr int kSheetBand = 14;
constexpr int kSheetColumns = 5;
constexpr int kSheetWidth = kSheetBand + kSheetColumns * (kIndexImageWidth + kSheetBand);  // 644
constexpr uint8_t kMissingCellLevel = 0x40;

// Rows of cells for a frame count.
int IndexSheetRows(int frameCount);
// Pixel rows of the sheet, and the bytes of its pixel array (rows of 644 pixels need no filler).
int IndexSheetHeight(int frameCount);
size_t IndexSheetPixelBytes(int frameCount);

// The sheet as the pixel array of a packed 24-bit bottom-up DIB (IndexSheetPixelBytes bytes at out). images
// has 41 entries indexed by frame number (null: none at all); a frame without an index image gets a plain
// dark grey cell.
void ComposeIndexSheet(int frameCount, const IndexImage* images, uint8_t* out);

}  // namespace lx9
