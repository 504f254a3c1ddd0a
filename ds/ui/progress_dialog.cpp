#include "ui/progress_dialog.h"

#include "res/progress_ids.h"
#include "ui/main_state.h"
#include "ui/window_layout.h"

namespace lx9 {

HWND progressDialog = nullptr;
int32_t progressDone = 0;
int32_t progressTotal = 0;
int32_t progressCancelled = 0;

namespace {

HWND progressBar = nullptr;
int32_t barWidth = 0;
int32_t barHeight = 0;

void OnInitDialog(HWND dialog) {
    progressCancelled = 0;
    progressBar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    RECT rect{};
    GetWindowRect(progressBar, &rect);
    barWidth = rect.right - rect.left;
    barHeight = rect.bottom - rect.top;
    SetFrameNumberTitle(dialog, currentFrame);
    CentreWindow(dialog);
}

void OnPaint(HWND dialog) {
    PAINTSTRUCT paint;
    BeginPaint(dialog, &paint);
    if (progressTotal != 0 && progressBar != nullptr) {
        HDC dc = GetDC(progressBar);
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        HGDIOBJ old = SelectObject(dc, blue);
        // 32-bit arithmetic, multiplication first: done never exceeds the 917504 bytes of a frame here.
        Rectangle(dc, 0, 0, barWidth * progressDone / progressTotal - 1, barHeight - 1);
        SelectObject(dc, old);
        DeleteObject(blue);
        ReleaseDC(progressBar, dc);
    }
    EndPaint(dialog, &paint);
}

}  // namespace

int32_t ShowScanProgress(HINSTANCE instance, HWND owner, int32_t done, int32_t total) {
    progressDone = done;
    progressTotal = total;
    // EXIT destroys the dialog: a stale handle must never reach RedrawWindow or DestroyWindow.
    if (progressDialog != nullptr && !IsWindow(progressDialog)) progressDialog = nullptr;
    if (progressDialog != nullptr) {
        RedrawWindow(progressDialog, nullptr, nullptr, RDW_INVALIDATE);
    } else if (!progressCancelled && total != 0) {
        const int id = TemplateForLanguage(IDD_PROGRESS_EN, IDD_PROGRESS_FR, IDD_PROGRESS_DE);
        progressDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(id), owner, ProgressProc, 0);
    }
    if (total != 0 && !progressCancelled) return 1;
    if (progressDialog != nullptr && IsWindow(progressDialog)) DestroyWindow(progressDialog);
    progressDialog = nullptr;
    progressBar = nullptr;
    if (!progressCancelled) return 1;
    progressCancelled = 0;  // answered once; a later scan starts afresh
    return 0;
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return TRUE;
        case WM_PAINT:
            OnPaint(dialog);
            return TRUE;
        case WM_SETCURSOR:
            if (busy) {
                ShowWaitCursor();
            } else {
                ShowArrowCursor();
            }
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_NCMOUSEMOVE:
            ShowArrowCursor();
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                progressCancelled = 1;
                DestroyWindow(dialog);
                if (progressDialog == dialog) progressDialog = nullptr;
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace lx9
