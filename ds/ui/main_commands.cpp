// The main window's commands: one handler per control, found through the command table.
#include <windows.h>

#include <array>

#include "chain/global_memory.h"
#include "chain/transform_image.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/main_internal.h"
#include "ui/main_layout.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/eject.h"
#include "ui/workflows/extended_scan.h"
#include "ui/workflows/final_scan.h"
#include "ui/workflows/index_workflows.h"

namespace lx9 {

namespace {

void Warn(HWND window, const char* text) {
    MessageBoxA(window, text, CaptionError, MB_ICONWARNING);
}

void StartBusy() {
    busy = 1;
    ShowWaitCursor();
}

bool HasImage(int frame) {
    return frame >= 1 && frame <= kMaxFrames && HasIndexPixels(indexImages[frame]);
}

void OnSelectAll(HWND window, int) {
    SelectAll(window);
}

void OnAll(HWND window, int) {
    MarkShownSelection(window, false);
    if (frameCount == kMaxFrames && !secondPage) {
        SetScrollPos(GetDlgItem(window, IDC_MAIN_SCROLL), SB_CTL, 1, TRUE);
        ShowSecondPage(window);
    }
    StartBusy();
    StartIndexAll(window);
}

void OnSelect(HWND window, int) {
    if (selectedFrames[0] == 0) return Warn(window, MsgNoFrame);
    StartBusy();
    StartIndexSelected(window);
}

void ScanStandard(HWND window) {
    const bool missing = AnySelectedWithoutIndexImage();
    if (selectedFrames[0] != 0 && !missing) {
        StartBusy();
        StartFinalScan(window);
        return;
    }
    if (missing) Warn(window, MsgPreviewFirst);
    if (selectedFrames[0] == 0) Warn(window, MsgNoFrame);
}

void ScanExtended(HWND window) {
    // The first frame's index image is looked at before the number of frames.
    if (selectedFrames[0] == 0) return Warn(window, MsgNoFrame);
    if (!HasImage(selectedFrames[0])) return Warn(window, MsgPreviewFirst);
    if (selectedFrames[1] != 0) return Warn(window, MsgOneFrame);
    StartBusy();
    StartExtendedScan(window, selectedFrames[0]);
}

void OnScan(HWND window, int) {
    switch (scanMode) {
        case kScanStandard:
            return ScanStandard(window);
        case kScanExtended:
            return ScanExtended(window);
        case kScanIndexSheet:
            indexSheetRequested = 1;
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_ALL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_MAIN_ALL)));
            return;
        default:
            return;
    }
}

void OnStop(HWND, int) {
    stopRequested = 1;
}

void OnModeList(HWND window, int code) {
    if (code != CBN_SELCHANGE) return;
    scanMode = static_cast<int32_t>(SendDlgItemMessageA(window, IDC_MAIN_MODE_LIST, CB_GETCURSEL, 0, 0));
}

void OnEject(HWND window, int) {
    if (MessageBoxA(window, MsgEject, CaptionConfirm, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    EjectCartridgeWhenIdle(window);
}

void OnProperty(HWND window, int) {
    if (ShowPropertyDialog(window) != 1) return;
    // A new film type: the window starts afresh, without the images made for the old one.
    FreeIndexImages();
    DestroyWindow(window);
    CreateMainWindow(parentWindow);
}

void OnExit(HWND, int) {
    NotifyCloseRequest();
}

void OnUpDown(HWND window, int) {
    rotate180 = rotate180 == 0 ? 1 : 0;
    for (int frame = 1; frame <= kMaxFrames; ++frame) {
        IndexImage& image = indexImages[frame];
        if (!HasIndexPixels(image)) continue;
        uint8_t* turned = AllocLockedBlock(kIndexImageBytes);
        if (turned == nullptr) {
            memoryFailed = 1;
            ReportDeviceError(window);
            return;
        }
        TransformImage(kIndexImageWidth, kIndexImageHeight, image.pixels, turned, 180);
        FreeLockedBlock(image.pixels);
        image.pixels = turned;
        InvalidateFrameCell(window, frame);
    }
}

void OnAbout(HWND window, int) {
    ShowAboutDialog(window);
}

using CommandHandler = void (*)(HWND window, int code);
struct Command {
    int id;
    CommandHandler handler;
};
constexpr std::array<Command, 11> commands{{
    {IDM_MAIN_SELECT_ALL, OnSelectAll},
    {IDC_MAIN_ALL, OnAll},
    {IDC_MAIN_SELECT, OnSelect},
    {IDC_MAIN_SCAN, OnScan},
    {IDC_MAIN_STOP, OnStop},
    {IDC_MAIN_MODE_LIST, OnModeList},
    {IDC_MAIN_EJECT, OnEject},
    {IDC_MAIN_PROPERTY, OnProperty},
    {IDC_MAIN_EXIT, OnExit},
    {IDC_MAIN_UP_DOWN, OnUpDown},
    {IDC_MAIN_ABOUT, OnAbout},
}};

}  // namespace

void RunCommand(HWND window, int id, int code) {
    ctrlHeld = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const int cell = CellOfButton(id);
    if (cell >= 0) return ClickCell(window, cell);
    for (const Command& command : commands) {
        if (command.id == id) return command.handler(window, code);
    }
}

}  // namespace lx9
