// The device-preparing dialog: identifies and wakes the scanner, calibrates, waits for a cartridge and reads
// its film information, stepped by a 500 ms timer (states in device/preparation_state.h).
#pragma once

#include <windows.h>

namespace lx9 {

INT_PTR CALLBACK PreparingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog of the current language modally, owned by owner: 1 when the scanner and the cartridge are
// ready, 0 after EXIT or a reported failure, -1 when the dialog could not be shown.
INT_PTR ShowPreparingDialog(HWND owner);

// The arrow and wait cursors, loaded once the scanner is identified; the main window uses them too.
extern HCURSOR arrowCursor;
extern HCURSOR waitCursor;

// Timing of the dialog (tests shorten it): the tick period, the pause between polls of the scanner while it
// wakes up, and how many polls it may stay busy before the wake-up counts as failed. 0 restores a default
// (500 ms, 1000 ms, 30 polls).
void SetPreparationTiming(UINT tickMs, UINT pollDelayMs, int busyPolls);

}  // namespace lx9
