#pragma once
#include <string>
#include "scanner_model.h"

namespace lx9emu {

// Whether the device can serve a SET WINDOW: known mode, film and pass; the frame (and for an index group
// the four below it) on the cartridge; one exposure value, or five for an index group; the window the mode
// reads (index 0, 0, 64, 112) or a window inside the mode's grid (standard 256 groups x 896 lines, extended
// 512 positions x 1792 lines plus a 4-line margin).
bool checkScanRequest(const ScanRequest& request, int frameCount, std::string* why);

}  // namespace lx9emu
