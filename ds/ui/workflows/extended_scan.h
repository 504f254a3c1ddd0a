// The extended scan that SCAN starts in extended mode: a preview in the crop window, then the chosen
// rectangle by the final scan.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

// SCAN in extended mode with exactly one selected, indexed frame: the crop window, modal, previews the frame;
// SCAN there starts the final scan of cropRect, EXIT hands the main window back ready.
void StartExtendedScan(HWND window, int32_t frame);

// The final scan of the selected frame over cropRect, once the crop window has returned 1 with cropRect and
// busy set.
void RunExtendedFinal(HWND window, int32_t frame);

}  // namespace lx9
