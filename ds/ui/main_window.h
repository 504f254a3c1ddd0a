// The main window: the cartridge's index cells, the tool row and the workflows' timers, and the operations it
// offers to the workflows that change it.
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

// Enables or disables every command control, the scroll bar and the 25 cell buttons.
void EnableAllControls(HWND window, bool enable);
// Only STOP enabled (an index scan runs).
void ShowBusyControls(HWND window);
// Everything but STOP enabled, the scroll position put in line with the page shown, the window repainted.
void ShowReadyControls(HWND window);

// Page switching: frames 1-25 or frames 26-40 in cells 1-15. Carried out in full also when the page is shown.
void ShowFirstPage(HWND window);
void ShowSecondPage(HWND window);

// Repaints the cell that shows frame on the current page (nothing when the frame is on the other page).
void InvalidateFrameCell(HWND window, int frame);

// Frees every index image and the workflows' per-frame work images; safe to call more than once.
void FreeIndexImages();

// True when a selected frame has no index image (false for an empty selection).
bool AnySelectedWithoutIndexImage();
// True when one of the frames 1..frameCount has no index image.
bool AnyFrameWithoutIndexImage();
// Sorts selectedFrames ascending.
void SortSelection();

}  // namespace lx9
