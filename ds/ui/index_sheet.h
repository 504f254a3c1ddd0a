// The index sheet: every frame's index image on one picture, offered to the application after an index scan.
#pragma once

#include <windows.h>

#include "chain/index_image.h"
#include "ui/index_sheet_pixels.h"

namespace lx9 {

// The sheet of ComposeIndexSheet as a packed 24-bit bottom-up DIB (header + pixels) in one unlocked movable
// block, or null when it cannot be allocated. images has 41 entries indexed by frame number.
HGLOBAL BuildIndexSheet(int frameCount, const IndexImage* images);

}  // namespace lx9
