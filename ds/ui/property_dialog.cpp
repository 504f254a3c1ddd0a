// Property: the film type (negative or positive), stored in the film setting file.
#include "device/device_state.h"
#include "device/film_setting.h"
#include "device/startup_data.h"
#include "ui/res/startup_ids.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/window_layout.h"

namespace lx9 {

namespace {

struct FilmNames {
    const char* negative;
    const char* positive;
};

// English, French, German.
constexpr FilmNames kFilmNames[3] = {{"NEGA", "POSI"}, {"NEGATIF", "POSITIF"}, {"Negative", "Positive"}};

const FilmNames& NamesOfLanguage() {
    return kFilmNames[TemplateForLanguage(0, 1, 2)];
}

BOOL OnInitDialog(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FILM_TYPE);
    const FilmNames& names = NamesOfLanguage();
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.negative));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.positive));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(filmType), 0);
    CentreWindow(dialog);
    return TRUE;
}

void OnOk(HWND dialog) {
    const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_FILM_TYPE, CB_GETCURSEL, 0, 0);
    // A list with nothing chosen keeps the film type it had.
    if (chosen == kFilmNegative || chosen == kFilmPositive) filmType = static_cast<int32_t>(chosen);
    WriteFilmSetting();
    ComputeStartingExposures();
    EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK PropertyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) OnOk(dialog);
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

INT_PTR ShowPropertyDialog(HWND owner) {
    const int id = TemplateForLanguage(IDD_PROPERTY_EN, IDD_PROPERTY_FR, IDD_PROPERTY_DE);
    return DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(id), owner, PropertyProc, 0);
}

}  // namespace lx9
