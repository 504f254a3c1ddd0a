// The splash picture shown for two seconds when the source is enabled.
#include "ui/res/startup_ids.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/bitmap_paint.h"
#include "ui/window_layout.h"

namespace lx9 {

namespace {

constexpr UINT kSplashDefaultMs = 2000;
constexpr UINT_PTR kSplashTimer = 1;
constexpr int kPictureWidth = 322;
constexpr int kPictureHeight = 242;

UINT splashMs = kSplashDefaultMs;

BOOL OnInitDialog(HWND dialog) {
    SizeWindowAtOrigin(dialog, kPictureWidth, kPictureHeight);
    CentreWindow(dialog);
    SetTimer(dialog, kSplashTimer, splashMs, nullptr);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK SplashProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_PAINT:
            PaintSourcePicture(dialog);
            return TRUE;
        case WM_TIMER:
            KillTimer(dialog, kSplashTimer);
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

INT_PTR ShowSplash(HWND owner) {
    return DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_SPLASH), owner, SplashProc, 0);
}

void SetSplashMilliseconds(UINT milliseconds) {
    splashMs = milliseconds ? milliseconds : kSplashDefaultMs;
}

}  // namespace lx9
