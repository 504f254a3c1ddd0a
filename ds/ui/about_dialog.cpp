// About: the source's picture and an OK button; only OK closes it.
#include "ui/res/startup_ids.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/bitmap_paint.h"
#include "ui/window_layout.h"

namespace lx9 {

namespace {

constexpr ControlPlace kAboutPlaces[] = {{IDOK, 136, 250, 50, 20}};

BOOL OnInitDialog(HWND dialog) {
    SizeWindowAtOrigin(dialog, 322, 300);
    PlaceControls(dialog, kAboutPlaces);
    CentreWindow(dialog);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_PAINT:
            PaintSourcePicture(dialog);
            return TRUE;
        case WM_COMMAND:
            // Escape arrives as IDCANCEL and is ignored with every other command.
            if (LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

INT_PTR ShowAboutDialog(HWND owner) {
    const int id = TemplateForLanguage(IDD_ABOUT_EN, IDD_ABOUT_FR, IDD_ABOUT_DE);
    return DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(id), owner, AboutProc, 0);
}

}  // namespace lx9
