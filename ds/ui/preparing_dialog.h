// The device-preparing dialog: identifies and wakes the scanner, calibrates, waits for a cartridge and reads
// its film information, stepped by a 500 ms timer.
#pragma once

#include <windows.h>

namespace lx9 {

INT_PTR CALLBACK PreparingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog of the current language modally, owned by owner: 1 when the scanner and the cartridge are
// ready, 0 after EXIT or a reported failure, -1 when the dialog could not be shown.
INT_PTR ShowPreparingDialog(HWND owner);

}  // namespace lx9
