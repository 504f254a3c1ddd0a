// The main window: its procedure, one handler per message, creation and destruction, and the controls'
// states that the workflows switch.
#include "ui/main_window.h"

#include <windowsx.h>

#include <algorithm>

#include "device/error_report.h"
#include "lx9comm.h"
#include "twain/source_state.h"
#include "ui/main_internal.h"
#include "ui/main_layout.h"
#include "ui/main_state.h"
#include "ui/preparing_dialog.h"
#include "ui/window_layout.h"
#include "ui/workflows/final_scan.h"
#include "ui/workflows/index_workflows.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

// Timer 1 runs one workflow step at a time; a tick that arrives while a step shows a box is dropped.
bool stepRunning = false;

HWND Control(HWND window, int id) {
    return GetDlgItem(window, id);
}

void ResetSharedState() {
    std::fill(std::begin(selectedFrames), std::end(selectedFrames), 0);
    FreeIndexImages();  // normally freed with the previous window already
    for (IndexImage& image : indexImages) image = IndexImage{};
    ResetWorkflowState();
    timerJob = kJobIndexAll;
    currentFrame = 0;
    selectAllMode = 0;
    ctrlHeld = 0;
    rotate180 = 0;
    stopRequested = 0;
    secondPage = 0;
}

void PlaceMainControls(HWND window) {
    SizeWindowAtOrigin(window, kMainWidth, kMainHeight);
    CentreWindow(window);
    PlaceControls(window, gridPlaces.data(), static_cast<int>(gridPlaces.size()));
    const auto& tools = toolPlaces[LanguageIndex()];
    PlaceControls(window, tools.data(), static_cast<int>(tools.size()));
}

void FillModeList(HWND window) {
    scanMode = kScanStandard;
    for (const char* mode : MainTextsOfLanguage().modes) {
        SendDlgItemMessageA(window, IDC_MAIN_MODE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    }
    SendDlgItemMessageA(window, IDC_MAIN_MODE_LIST, CB_SETCURSEL, 0, 0);
}

// The menu resource of the language; a plain menu with the one item if the resource cannot be loaded.
HMENU MakePopupMenu() {
    if (HMENU bar = LoadMenuA(moduleInstance, MAKEINTRESOURCEA(TemplateForLanguage(
                                                  IDD_MAIN_ENGLISH, IDD_MAIN_FRENCH, IDD_MAIN_GERMAN)))) {
        return bar;
    }
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, IDM_MAIN_SELECT_ALL, MainTextsOfLanguage().menuItem);
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "");
    return bar;
}

void ShowCellsByFrameCount(HWND window) {
    for (const CellControls& cell : cellControls) {
        for (int id : {cell.button, cell.frame, cell.label}) ShowWindow(Control(window, id), SW_HIDE);
    }
    ShowWindow(Control(window, IDC_MAIN_SCROLL), SW_HIDE);
    for (const CellControls& cell : cellControls) {
        for (int id : {cell.button, cell.frame, cell.label}) ShowWindow(Control(window, id), SW_SHOW);
    }
    if (frameCount == kMaxFrames) {
        HWND bar = Control(window, IDC_MAIN_SCROLL);
        ShowWindow(bar, SW_SHOW);
        SetScrollRange(bar, SB_CTL, 0, 1, FALSE);
        SetScrollPos(bar, SB_CTL, 0, TRUE);
    } else if (frameCount == 15) {
        for (int n = 15; n < kCells; ++n) {
            for (int id : {cellControls[n].button, cellControls[n].frame, cellControls[n].label}) {
                ShowWindow(Control(window, id), SW_HIDE);
            }
        }
    }
}

BOOL OnInitDialog(HWND window) {
    busy = 0;
    ShowArrowCursor();
    mainDialog = window;
    EnableWindow(window, TRUE);
    ResetSharedState();
    PlaceMainControls(window);
    FillModeList(window);
    indexSheetRequested = 0;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(MakePopupMenu()));
    ShowCellsByFrameCount(window);
    SetIndexImagesRelease(FreeIndexImages);
    return TRUE;
}

void OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return;
    if (item.CtlID == IDC_MAIN_EJECT || item.CtlID == IDC_MAIN_UP_DOWN) return DrawBitmapButton(item);
    if (CellOfButton(static_cast<int>(item.CtlID)) >= 0) DrawCellButton(item);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    MarkShownSelection(window, true);
    EndPaint(window, &paint);
}

void RunWorkflowStep(HWND window) {
    switch (timerJob) {
        case kJobIndexAll:
            return IndexAllStep(window);
        case kJobIndexSelected:
            return IndexSelectedStep(window, jobFrameCount);
        case kJobFinal:
            return FinalStep(window, jobFrameCount);
        default:
            return;
    }
}

void OnTimer(HWND window, UINT_PTR timer) {
    if (timer == kPauseTimer) {
        KillTimer(window, kPauseTimer);
        SetTimer(window, kStepTimer, kStepPeriodMs, nullptr);
        return;
    }
    if (stepRunning) return;
    stepRunning = true;
    RunWorkflowStep(window);  // may end with the window destroyed
    stepRunning = false;
}

void OnVScroll(HWND window, HWND bar, int code, int thumb) {
    if (bar != Control(window, IDC_MAIN_SCROLL)) return;
    const int position = GetScrollPos(bar, SB_CTL);
    int next = position;
    switch (code) {
        case SB_LINEUP:
        case SB_PAGEUP:
            ShowFirstPage(window);
            next = position - 1;
            break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN:
            ShowSecondPage(window);
            next = position + 1;
            break;
        case SB_THUMBPOSITION:
            if (thumb == 1) {
                ShowSecondPage(window);
            } else {
                ShowFirstPage(window);
            }
            next = thumb;
            break;
        case SB_THUMBTRACK:
            next = thumb;
            break;
        default:
            return;
    }
    SetScrollPos(bar, SB_CTL, next, TRUE);
}

void OnRButtonDown(HWND window, int x, int y) {
    if (busy) return;
    POINT point{x, y};
    ClientToScreen(window, &point);
    TrackPopupMenu(PopupMenuOf(window), TPM_RIGHTBUTTON, point.x, point.y, 0, window, nullptr);
}

void OnSetCursor(HWND window) {
    if (busy) {
        ShowWaitCursor();
    } else {
        ShowArrowCursor();
    }
    // The answer holds over the child controls too.
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
}

void OnDestroy(HWND window) {
    KillTimer(window, kStepTimer);
    LPT1_Close();
    if (mainDialog == window) mainDialog = nullptr;
    FreeIndexImages();
    if (HMENU menu = reinterpret_cast<HMENU>(GetWindowLongPtrA(window, DWLP_USER))) DestroyMenu(menu);
    SetWindowLongPtrA(window, DWLP_USER, 0);
}

}  // namespace

HMENU PopupMenuOf(HWND window) {
    return GetSubMenu(reinterpret_cast<HMENU>(GetWindowLongPtrA(window, DWLP_USER)), 0);
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_COMMAND:
            RunCommand(window, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_PAINT:
            OnPaint(window);
            return TRUE;
        case WM_TIMER:
            OnTimer(window, wParam);
            return TRUE;
        case WM_VSCROLL:
            OnVScroll(window, reinterpret_cast<HWND>(lParam), LOWORD(wParam),
                      static_cast<short>(HIWORD(wParam)));
            return TRUE;
        case WM_RBUTTONDOWN:
            OnRButtonDown(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return TRUE;
        case WM_SETCURSOR:
            OnSetCursor(window);
            return TRUE;
        case WM_NCMOUSEMOVE:
            ShowArrowCursor();
            return TRUE;
        case WM_DESTROY:
            OnDestroy(window);
            return TRUE;
        default:
            return FALSE;
    }
}

HWND CreateMainWindow(HWND owner) {
    const int id = TemplateForLanguage(IDD_MAIN_ENGLISH, IDD_MAIN_FRENCH, IDD_MAIN_GERMAN);
    HWND window = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(id), owner, MainWindowProc, 0);
    if (window != nullptr) mainDialog = window;
    return window;
}

void RestartPreparation(HWND window) {
    FreeIndexImages();
    DestroyWindow(window);
    mainDialog = nullptr;
    ShowPreparingDialog(parentWindow);
}

void EnableAllControls(HWND window, bool enable) {
    for (int id : commandControls) EnableWindow(Control(window, id), enable);
    for (const CellControls& cell : cellControls) EnableWindow(Control(window, cell.button), enable);
}

void ShowBusyControls(HWND window) {
    EnableAllControls(window, false);
    EnableWindow(Control(window, IDC_MAIN_STOP), TRUE);
}

void ShowReadyControls(HWND window) {
    EnableAllControls(window, true);
    EnableWindow(Control(window, IDC_MAIN_STOP), FALSE);
    SetScrollPos(Control(window, IDC_MAIN_SCROLL), SB_CTL, secondPage, TRUE);
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace lx9
