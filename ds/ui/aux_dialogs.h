// The small dialogs: the splash picture, About and the film-type Property dialog.
#pragma once

#include <windows.h>

namespace lx9 {

INT_PTR CALLBACK SplashProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PropertyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Modal, owned by owner; each returns what DialogBoxParamA returned.
INT_PTR ShowSplash(HWND owner);       // 0 after two seconds, -1 when it could not be shown
INT_PTR ShowAboutDialog(HWND owner);  // 0 after OK
INT_PTR ShowPropertyDialog(
    HWND owner);  // 1 after OK (film type stored, exposures recomputed), 0 after CANCEL

// How long the splash stays (tests shorten it); 0 restores the two seconds.
void SetSplashMilliseconds(UINT milliseconds);

}  // namespace lx9
