// NorvikLX9Test.ds: the real TWAIN core of the data source with a stand-in user interface. Enabling it
// starts a timer that, through the application's message loop, stores a test picture as the transfer
// image and announces it; once the last picture has been taken it asks to be closed.
//   LX9_TEST_IMAGES=N          pictures to offer (default 1)
//   LX9_TEST_IMAGE_SIZE=WxH    their size (default 112x64)
//   LX9_TEST_BOX=1             show the source's error box before the first picture
//   LX9_TEST_CLOSE=0           never ask to be closed
//   LX9_TEST_WINDOW=1          also show the real splash and a stand-in main window with the main window's
//                              controls, which prints "STANDIN ..." for every input it gets and opens the
//                              real About and Property dialogs (for the scripted user of lx9acquire);
//                              its SCAN opens a stand-in crop window, STOP a stand-in progress dialog and
//                              SELECT a look-alike of the preparing dialog (bar and EXIT, and the picture)
#include "test_pattern.h"

#include "twain/ds_entry.h"
#include "twain/error_box.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "device/device_state.h"
#include "twain/user_interface.h"
#include "ui/aux_dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

extern "C" {
[[maybe_unused]] DSENTRYPROC lx9KeepDsEntry = DS_Entry;
}

namespace {

struct ShellSettings {
    int images = 1;
    long width = 112;
    long height = 64;
    bool box = false;
    bool close = true;
};

ShellSettings settings;
int offered = 0;
UINT_PTR timer = 0;

int EnvironmentInt(const char* name, int fallback) {
    char text[32] = {};
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    return length > 0 && length < sizeof(text) ? std::atoi(text) : fallback;
}

void ReadSettings() {
    settings = ShellSettings{};
    settings.images = EnvironmentInt("LX9_TEST_IMAGES", 1);
    settings.box = EnvironmentInt("LX9_TEST_BOX", 0) != 0;
    settings.close = EnvironmentInt("LX9_TEST_CLOSE", 1) != 0;
    char size[32] = {};
    const DWORD length = GetEnvironmentVariableA("LX9_TEST_IMAGE_SIZE", size, sizeof(size));
    if (length > 0 && length < sizeof(size)) std::sscanf(size, "%ldx%ld", &settings.width, &settings.height);
}

// The transfer image exactly as the scan workflows store it: header, packed rows, bottom row first, BGR.
HGLOBAL MakePicture(int number) {
    const uint32_t width = static_cast<uint32_t>(settings.width);
    const uint32_t height = static_cast<uint32_t>(settings.height);
    const size_t rowBytes = size_t{width} * 3;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + rowBytes * height);
    auto* bytes = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
    if (!bytes) return block;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(bytes, &header, sizeof(header));
    uint8_t* pixel = bytes + sizeof(header);
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t y = height - 1 - row;
        for (uint32_t x = 0; x < width; ++x, pixel += 3) {
            const lx9::hosttest::PatternPixel p =
                lx9::hosttest::PatternAt(x, y, static_cast<uint32_t>(number));
            pixel[0] = p.blue;
            pixel[1] = p.green;
            pixel[2] = p.red;
        }
    }
    GlobalUnlock(block);
    return block;
}

void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
    if (lx9::transferImage) return;  // the application has not taken the last picture yet
    if (settings.box && offered == 0) {
        settings.box = false;
        lx9::ShowSourceError("General failure in transfer.  ", TWCC_BUMMER);
    }
    if (offered < settings.images) {
        ++offered;
        lx9::StoreTransferImage(MakePicture(offered));
        lx9::NotifyTransferReady();
        return;
    }
    KillTimer(nullptr, timer);
    timer = 0;
    if (settings.close) lx9::NotifyCloseRequest();
}

// Stands in for the preparation: the pictures come from the timer, and no window is shown.
INT_PTR StartTestPictures(HWND) {
    ReadSettings();
    offered = 0;
    if (timer) KillTimer(nullptr, timer);
    timer = SetTimer(nullptr, 0, 30, Step);
    return timer != 0;
}

const lx9::UserInterfaceSteps kTestInterface{nullptr, StartTestPictures, nullptr};

// The stand-in main window: the identifiers of the real one, laid out like it, reporting its input.
constexpr const char* kStandInClass = "LX9StandInMain";
HMENU popup = nullptr;

void Say(const char* format, int a, int b = 0, int c = 0) {
    std::printf("STANDIN ");
    std::printf(format, a, b, c);
    std::printf("\n");
    std::fflush(stdout);
}

void OpenStandInCrop(HWND owner);
void OpenStandInBarDialog(HWND owner, bool picture);

int CellOfButton(int id) {
    if (id >= 1018 && id <= 1031) return id - 1017;
    if (id >= 1034 && id <= 1044) return id - 1019;
    return 0;
}

void OnStandInCommand(HWND window, int id, int code) {
    const int ctrl = GetKeyState(VK_CONTROL) < 0 ? 1 : 0;
    if (const int cell = CellOfButton(id)) return Say("cell %d ctrl %d", cell, ctrl);
    switch (id) {
        case 1:
            return Say("select-all %d", 1);
        case 1002:
            return OpenStandInCrop(window);
        case 1003:
            return OpenStandInBarDialog(window, false);
        case 1001:
            return OpenStandInBarDialog(window, true);
        case 1004:
            if (code == CBN_SELCHANGE) {
                Say("mode %d", static_cast<int>(SendDlgItemMessageA(window, 1004, CB_GETCURSEL, 0, 0)));
            }
            return;
        case 32816:
            return Say("about %d", static_cast<int>(lx9::ShowAboutDialog(window)));
        case 1164: {
            const int result = static_cast<int>(lx9::ShowPropertyDialog(window));
            return Say("property %d film %d", result, lx9::filmType);
        }
        case 1165:
            Say("exit %d", 1);
            return lx9::NotifyCloseRequest();
        default:
            return Say("command %d", id);
    }
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnStandInCommand(window, LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_VSCROLL:
            Say("vscroll %d", LOWORD(wParam));
            return 0;
        case WM_RBUTTONDOWN: {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window, &at);
            TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
            return 0;
        }
        case WM_DESTROY:
            if (lx9::mainDialog == window) lx9::mainDialog = nullptr;
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void AddChild(HWND parent, const char* type, const char* text, DWORD style, int id, int x, int y, int w,
              int h) {
    CreateWindowExA(0, type, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), lx9::moduleInstance, nullptr);
}

HWND CreateStandInMain(HWND owner) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = lx9::moduleInstance;
    windowClass.lpszClassName = kStandInClass;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kStandInClass, "LX-9 TWAIN", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                                  640, 480, owner, nullptr, lx9::moduleInstance, nullptr);
    if (!window) return nullptr;
    AddChild(window, "BUTTON", "ALL", BS_PUSHBUTTON, 1000, 70, 0, 50, 20);
    AddChild(window, "BUTTON", "SELECT", BS_PUSHBUTTON, 1001, 120, 0, 50, 20);
    AddChild(window, "BUTTON", "SCAN", BS_PUSHBUTTON, 1002, 205, 0, 50, 20);
    AddChild(window, "BUTTON", "STOP", BS_PUSHBUTTON, 1003, 365, 0, 50, 20);
    AddChild(window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 1004, 260, 0, 100, 70);
    for (const char* mode : {"STANDARD", "EXTEND", "INDEX"}) {
        SendDlgItemMessageA(window, 1004, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    }
    SendDlgItemMessageA(window, 1004, CB_SETCURSEL, 0, 0);
    AddChild(window, "BUTTON", "About", BS_PUSHBUTTON, 32816, 455, 0, 50, 20);
    AddChild(window, "BUTTON", "Property", BS_PUSHBUTTON, 1164, 510, 0, 55, 20);
    AddChild(window, "BUTTON", "Exit", BS_PUSHBUTTON, 1165, 575, 0, 55, 20);
    AddChild(window, "SCROLLBAR", "", SBS_VERT, 1132, 610, 35, 20, 375);
    for (int cell = 1; cell <= 25; ++cell) {
        const int c = (cell - 1) % 5;
        const int r = (cell - 1) / 5;
        char label[8];
        std::snprintf(label, sizeof label, "%d", cell);
        AddChild(window, "BUTTON", label, BS_PUSHBUTTON, cell <= 14 ? 1017 + cell : 1019 + cell, 120 * c + 6,
                 85 * r + 40, 112, 64);
    }
    if (!popup) {
        popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 1, "SelectAll");
    }
    lx9::mainDialog = window;
    return window;
}

// Dialogs made from templates in memory, with the identifiers of the source's windows.
struct StandInControl {
    int id;
    WORD kind;  // 0x0080 button, 0x0082 static
    DWORD style;
    short x, y, cx, cy;
};

void PutWords(std::vector<WORD>& out, std::initializer_list<DWORD> values) {
    for (const DWORD value : values) out.push_back(static_cast<WORD>(value));
}

HWND OpenStandInDialog(HWND owner, const std::vector<StandInControl>& controls, DLGPROC procedure) {
    std::vector<WORD> t;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    PutWords(t, {style, style >> 16, 0, 0, static_cast<DWORD>(controls.size()), 10, 10, 300, 200});
    PutWords(t, {0, 0, 0});  // no menu, the dialog class, no title
    for (const StandInControl& c : controls) {
        if (t.size() % 2) t.push_back(0);  // items start on a DWORD boundary
        const DWORD itemStyle = WS_CHILD | c.style;
        PutWords(t, {itemStyle, itemStyle >> 16, 0, 0});
        PutWords(t, {static_cast<DWORD>(c.x), static_cast<DWORD>(c.y), static_cast<DWORD>(c.cx),
                     static_cast<DWORD>(c.cy), static_cast<DWORD>(c.id)});
        PutWords(t, {0xFFFF, c.kind, 0, 0});  // the class by number, no text, no creation data
    }
    return CreateDialogIndirectParamA(lx9::moduleInstance, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), owner,
                                      procedure, 0);
}

// The crop window's controls; SCAN is enabled after a while, as when the preview has been loaded. The
// mouse input it gets is printed, and the width and height values show the moving corner.
INT_PTR CALLBACK StandInCropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
        case WM_INITDIALOG:
            SetTimer(window, 1, 300, nullptr);
            return TRUE;
        case WM_TIMER:
            KillTimer(window, 1);
            EnableWindow(GetDlgItem(window, 1002), TRUE);
            return TRUE;
        case WM_LBUTTONDOWN:
            Say("crop down %d %d mk %d", x, y, static_cast<int>(wParam));
            return TRUE;
        case WM_MOUSEMOVE:
            Say("crop move %d %d mk %d", x, y, static_cast<int>(wParam));
            SetDlgItemInt(window, 1159, static_cast<UINT>(x), TRUE);
            SetDlgItemInt(window, 1160, static_cast<UINT>(y), TRUE);
            return TRUE;
        case WM_LBUTTONUP:
            Say("crop up %d %d lbutton %d", x, y, GetKeyState(VK_LBUTTON) < 0 ? 1 : 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == 1002 || LOWORD(wParam) == 1161) {
                Say(LOWORD(wParam) == 1002 ? "crop scan %d" : "crop exit %d", 1);
                DestroyWindow(window);
            }
            return TRUE;
    }
    return FALSE;
}

// The progress dialog and the preparing dialog: both carry the bar 1005 and EXIT 2.
INT_PTR CALLBACK StandInBarProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        Say(GetDlgItem(window, 1001) ? "preparing exit %d" : "progress exit %d", 1);
        DestroyWindow(window);
        return TRUE;
    }
    return FALSE;
}

void OpenStandInCrop(HWND owner) {
    OpenStandInDialog(owner,
                      {{1002, 0x0080, WS_VISIBLE | WS_DISABLED, 2, 170, 40, 16},
                       {1161, 0x0080, WS_VISIBLE, 250, 170, 40, 16},
                       {1159, 0x0082, WS_DISABLED, 80, 170, 40, 12},
                       {1160, 0x0082, WS_DISABLED, 140, 170, 40, 12}},
                      StandInCropProc);
}

void OpenStandInBarDialog(HWND owner, bool picture) {
    std::vector<StandInControl> controls{{IDCANCEL, 0x0080, WS_VISIBLE, 130, 10, 50, 14},
                                         {1005, 0x0082, WS_VISIBLE, 5, 35, 175, 20}};
    if (picture) controls.push_back({1001, 0x0082, WS_VISIBLE, 5, 60, 90, 90});
    OpenStandInDialog(owner, controls, StandInBarProc);
}

const lx9::UserInterfaceSteps kTestWindows{lx9::ShowSplash, StartTestPictures, CreateStandInMain};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (!instance) return FALSE;
    if (reason == DLL_PROCESS_ATTACH) {
        lx9::OnModuleAttach(instance);
        lx9::SetUserInterfaceSteps(EnvironmentInt("LX9_TEST_WINDOW", 0) ? &kTestWindows : &kTestInterface);
    }
    if (reason == DLL_PROCESS_DETACH && timer) KillTimer(nullptr, timer);
    return TRUE;
}
