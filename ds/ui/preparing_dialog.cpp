// The device-preparing dialog. Each timer tick runs one step of the state in prepState; every failed device
// operation takes the error path (timer off, the device error report, which ends the dialog with 0).
#include "ui/preparing_dialog.h"

#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/film_setting.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "device/startup_steps.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "ui/bitmap_paint.h"
#include "ui/main_window.h"
#include "ui/res/startup_ids.h"
#include "ui/window_layout.h"

namespace lx9 {

HCURSOR arrowCursor = nullptr;
HCURSOR waitCursor = nullptr;

namespace {

constexpr UINT_PTR kPrepTimer = 1;
constexpr UINT kDefaultTickMs = 500;
constexpr UINT kDefaultPollDelayMs = 1000;
// A scanner that stays busy this many polls while it should wake up is reported as not switching on,
// rather than holding the dialog for ever.
constexpr int kDefaultBusyPolls = 30;

UINT tickMs = kDefaultTickMs;
uint32_t pollDelayMs = kDefaultPollDelayMs;
int busyPolls = kDefaultBusyPolls;

constexpr int kPictureWidth = 138;
constexpr int kPictureHeight = 208;
constexpr ControlPlace kPlaces[] = {
    {IDC_PREP_PICTURE, 10, 10, kPictureWidth, kPictureHeight},
    {IDC_PREP_PROGRESS, 152, 198, 200, 20},
    {IDC_PREP_TEXT, 155, 20, 200, 30},
    {IDC_PREP_LINE, 0, 225, 360, 2},
    {IDCANCEL, 270, 232, 80, 22},
};

struct PreparingTexts {
    const char* insert;     // state 113
    const char* preparing;  // every other state
};
// English, French, German.
constexpr PreparingTexts kTexts[3] = {
    {"Insert Cartridge.", "Device is preparing..."},
    {"Insérer la cassette.", "LX-9 En préparation."},
    {"Filmpatrone einlegen.", "Gerät arbeitet."},
};

void Fail(HWND dialog) {
    KillTimer(dialog, kPrepTimer);
    ReportDeviceError(dialog);
}

// The dialog is shown anew for the state a check went back to.
void ShowAgain(HWND dialog) {
    ShowWindow(dialog, SW_HIDE);
    ShowWindow(dialog, SW_SHOW);
}

// 116 done: after a restart the dialog makes the main window itself.
void Finish(HWND dialog) {
    if (!firstPreparation) CreateMainWindow(parentWindow);
    KillTimer(dialog, kPrepTimer);
    EndDialog(dialog, 1);
    firstPreparation = 0;
}

// The step's device work, then what it means for the dialog. False when the step ended in the error path.
bool RunStep(HWND dialog) {
    const int32_t state = prepState;
    switch (RunPreparationStep(WakeTiming{pollDelayMs, busyPolls})) {
        case StepEnd::kStay:
            return true;
        case StepEnd::kAdvanced:
            if (state == kPrepFinish) {
                Finish(dialog);
            } else {
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE);
            }
            return true;
        case StepEnd::kWentBack:
            ShowAgain(dialog);
            return true;
        case StepEnd::kFailed:
            Fail(dialog);
            return false;
    }
    return true;
}

BOOL OnInitDialog(HWND dialog) {
    LoadMessages();
    // A dialog that ended in the error path left the flag taken; a new dialog must tick again.
    tickIdle = 1;
    if (!LPT1_Open()) {
        ReportDeviceError(dialog);
        return TRUE;
    }
    ReadFilmSetting();
    ClearErrorFlags();
    SizeWindowAtOrigin(dialog, 360, 282);
    PlaceControls(dialog, kPlaces);
    CentreWindow(dialog);
    char idText[kIdTextSize] = {};
    if (!Inquire(idText, sizeof idText, &deviceBufferSize)) {
        ReportDeviceError(dialog);
        return TRUE;
    }
    if (lstrcmpA(idText, kExpectedDeviceId) != 0) {
        idMismatch = 1;
        ReportDeviceError(dialog);
        return TRUE;
    }
    arrowCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    waitCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));   // IDC_WAIT
    SetTimer(dialog, kPrepTimer, tickMs, nullptr);
    return TRUE;
}

int ProgressRight() {
    switch (prepState) {
        case kPrepCalibrating:
            return 39;
        case kPrepLoadShading:
            return 79;
        case kPrepCartridge:
            return 119;
        case kPrepStatus:
            return 159;
        case kPrepFinish:
            return 199;
    }
    return 0;  // 110 and 115 draw no bar
}

void SetTextIfChanged(HWND control, const char* text) {
    char current[64] = {};
    GetWindowTextA(control, current, sizeof current);
    if (lstrcmpA(current, text) != 0) SetWindowTextA(control, text);
}

void OnPaint(HWND dialog) {
    PAINTSTRUCT paint;
    BeginPaint(dialog, &paint);
    const bool waitingForCartridge = prepState == kPrepCartridge;
    HWND picture = GetDlgItem(dialog, IDC_PREP_PICTURE);
    if (HDC dc = GetDC(picture)) {
        DrawBitmapResource(dc, waitingForCartridge ? IDB_INSERT_CARTRIDGE : IDB_SCANNER_WORKING,
                           kPictureWidth, kPictureHeight);
        ReleaseDC(picture, dc);
    }
    const PreparingTexts& texts = kTexts[TemplateForLanguage(0, 1, 2)];
    SetTextIfChanged(GetDlgItem(dialog, IDC_PREP_TEXT), waitingForCartridge ? texts.insert : texts.preparing);
    if (const int right = ProgressRight()) {
        HWND bar = GetDlgItem(dialog, IDC_PREP_PROGRESS);
        if (HDC dc = GetDC(bar)) {
            HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
            const RECT filled{0, 0, right, 19};
            FillRect(dc, &filled, blue);
            DeleteObject(blue);
            ReleaseDC(bar, dc);
        }
    }
    EndPaint(dialog, &paint);
}

void OnTimer(HWND dialog) {
    if (!tickIdle) return;  // the previous step is still running (it waits or shows a box)
    tickIdle = 0;
    if (RunStep(dialog)) tickIdle = 1;
}

void OnExit(HWND dialog) {
    KillTimer(dialog, kPrepTimer);
    LPT1_Close();
    NotifyCloseRequest();
    EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK PreparingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_PAINT:
            OnPaint(dialog);
            return TRUE;
        case WM_TIMER:
            OnTimer(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) OnExit(dialog);
            return TRUE;
        case WM_SETCURSOR:
            SetCursor(prepState == kPrepCartridge ? arrowCursor : waitCursor);
            // Handled, also for the controls: they must not put their own cursor back.
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_NCMOUSEMOVE:
        case WM_CLOSE:
            // The title bar's close button only sets the cursor: the dialog ends by EXIT or by itself.
            SetCursor(arrowCursor);
            return TRUE;
    }
    return FALSE;
}

INT_PTR ShowPreparingDialog(HWND owner) {
    const int id = TemplateForLanguage(IDD_PREPARING_EN, IDD_PREPARING_FR, IDD_PREPARING_DE);
    return DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(id), owner, PreparingDialogProc, 0);
}

void SetPreparationTiming(UINT newTickMs, UINT newPollDelayMs, int newBusyPolls) {
    tickMs = newTickMs ? newTickMs : kDefaultTickMs;
    pollDelayMs = newPollDelayMs ? newPollDelayMs : kDefaultPollDelayMs;
    busyPolls = newBusyPolls > 0 ? newBusyPolls : kDefaultBusyPolls;
}

}  // namespace lx9
