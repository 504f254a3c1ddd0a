// The extended scan that SCAN starts in extended mode: a preview in the crop window, then the chosen
// rectangle. Until it is built, the hook hands the window back in its ready state.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

// SCAN in extended mode with exactly one selected, indexed frame.
void StartExtendedScan(HWND window, int32_t frame);

// The final scan of one frame over cropRect, once the crop window has returned 1 with cropRect set and busy
// set. The final-scan workflow takes it; until then the window is handed back ready.
void RunExtendedFinal(HWND window, int32_t frame);

}  // namespace lx9
