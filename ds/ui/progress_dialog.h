// The scan progress dialog of the final scan: a bar of the data received and EXIT to stop the scan.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

extern HWND progressDialog;  // null while none is shown
extern int32_t progressDone;
extern int32_t progressTotal;
extern int32_t progressCancelled;

// Shows or updates the progress; 1 to go on, 0 once the user has pressed EXIT (the dialog is then
// forgotten). total 0 closes the dialog.
int32_t ShowScanProgress(HINSTANCE instance, HWND owner, int32_t done, int32_t total);

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lx9
