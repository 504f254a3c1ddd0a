// The main window: the cartridge's index cells, the tool row and the workflows' timers.
#pragma once

#include <windows.h>

namespace lx9 {

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the modeless main window of the current language, owned by owner, and records it as mainDialog.
// Returns null when the window cannot be created.
HWND CreateMainWindow(HWND owner);

// A workflow found the scanner or the cartridge changed: frees the index images, destroys the main window
// and runs the device-preparing dialog again, which creates a new main window when it succeeds.
void RestartPreparation(HWND window);

}  // namespace lx9
