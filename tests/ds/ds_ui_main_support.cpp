#include "ds_ui_main_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "lx9twain.h"
#include "twain/notify.h"

namespace lx9test {

namespace {

// Under Wine a thread's CBT hook can also see windows of other processes (tests running beside this one)
// being activated: only this thread's boxes count.
bool OfThisThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

std::string Utf8(const wchar_t* text) {
    char out[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
}

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

void PumpWaiting() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The popup menu chooser: a thread timer that finds the menu window, reads its first item and picks it.
bool menuSeen = false;
std::string menuItem;

void CALLBACK ChooseFromMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menuWindow = FindWindowA("#32768", nullptr);
    if (menuWindow == nullptr || !IsWindowVisible(menuWindow) || menuSeen) return;
    menuSeen = true;
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    wchar_t text[128] = {};
    if (menu) GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    menuItem = Utf8(text);
    PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

// Message boxes.
HHOOK boxHook = nullptr;
std::vector<Box>* boxes = nullptr;
std::deque<int>* answers = nullptr;

UINT IconOf(HWND box) {
    HWND iconControl = GetDlgItem(box, 1088);  // the message box's icon
    if (iconControl == nullptr) return 0;
    auto icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    if (icon == nullptr) return 0;
    if (icon == LoadIconA(nullptr, IDI_WARNING)) return MB_ICONWARNING;
    if (icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
    if (icon == LoadIconA(nullptr, IDI_ERROR)) return MB_ICONERROR;
    if (icon == LoadIconA(nullptr, IDI_INFORMATION)) return MB_ICONINFORMATION;
    return 0;
}

HWND lastBox = nullptr;  // a box activated again is not a new one

LRESULT CALLBACK OnBoxActivated(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == lastBox) lastBox = nullptr;
    if (code == HCBT_ACTIVATE && boxes != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(box, className, sizeof className);
        // Only message boxes: they carry their text in the static 0xFFFF.
        if (lstrcmpA(className, "#32770") == 0 && OfThisThread(box) && GetDlgItem(box, 0xFFFF) != nullptr &&
            box != lastBox) {
            lastBox = box;
            boxes->push_back({TextOf(GetDlgItem(box, 0xFFFF)), TextOf(box), IconOf(box)});
            int answer = IDOK;
            if (!answers->empty()) {
                answer = answers->front();
                answers->pop_front();
            }
            PostMessageA(box, WM_COMMAND, answer, 0);
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

}  // namespace

void Pump(unsigned ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpWaiting();
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void SetCtrlKey(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void Click(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    if (control && IsWindowEnabled(control) && IsWindowVisible(control))
        SendMessageA(control, BM_CLICK, 0, 0);
}

void ClickCell(HWND window, int id, bool ctrl) {
    HWND cell = GetDlgItem(window, id);
    if (!cell || !IsWindowEnabled(cell) || !IsWindowVisible(cell)) return;
    SetCtrlKey(ctrl);
    const WPARAM keys = ctrl ? MK_CONTROL : 0;
    SendMessageA(cell, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(cell, WM_LBUTTONUP, keys, MAKELPARAM(10, 10));
    SetCtrlKey(false);
}

void ChooseMode(HWND window, int index) {
    HWND list = GetDlgItem(window, 1004);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(1004, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Scroll(HWND window, int code, int thumb) {
    SendMessageA(window, WM_VSCROLL, MAKEWPARAM(code, thumb),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, 1132)));
}

bool RightClickAndChooseFirst(HWND window, std::string* itemText) {
    menuSeen = false;
    menuItem.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, ChooseFromMenu);
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(320, 22));
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(320, 22));
    Pump(300);
    KillTimer(nullptr, timer);
    if (itemText) *itemText = menuItem;
    return menuSeen;
}

std::string TextOf(HWND control) {
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    return Utf8(text);
}

bool Enabled(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control && IsWindowEnabled(control);
}

bool Visible(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

std::string DescribeControls(HWND window) {
    std::ostringstream out;
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    out << "window \"" << TextOf(window) << "\" " << outer.right - outer.left << "x"
        << outer.bottom - outer.top << " centred "
        << (outer.left == std::abs((GetSystemMetrics(SM_CXSCREEN) - 640) / 2) ? "yes" : "no") << "\n";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        std::string text = TextOf(child);
        if (lstrcmpiA(className, "ComboBox") == 0) {
            text.clear();
            const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t item[128] = {};
                SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                text += (i ? "|" : "") + Utf8(item);
            }
            text += " (" + std::to_string(SendMessageA(child, CB_GETCURSEL, 0, 0)) + ")";
        } else if (lstrcmpiA(className, "ScrollBar") == 0) {
            int low = 0, high = 0;
            GetScrollRange(child, SB_CTL, &low, &high);
            text = std::to_string(low) + ".." + std::to_string(high) + " at " +
                   std::to_string(GetScrollPos(child, SB_CTL));
        }
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        char line[256];
        std::snprintf(line, sizeof line, "%5d %-9s %4ld %4ld %4ld %4ld %-7s %-8s ", GetDlgCtrlID(child),
                      className, r.left, r.top, r.right - r.left, r.bottom - r.top,
                      (style & WS_VISIBLE) ? "shown" : "hidden",
                      IsWindowEnabled(child) ? "enabled" : "disabled");
        out << line << '"' << text << "\"\n";
    }
    return out.str();
}

int MarkOf(HWND window, int frameStaticId) {
    HWND frame = GetDlgItem(window, frameStaticId);
    if (frame == nullptr) return -1;
    HDC dc = GetDC(frame);
    const COLORREF colour = GetPixel(dc, 1, 1);
    ReleaseDC(frame, dc);
    if (colour == CLR_INVALID) return -1;
    return colour == RGB(255, 0, 0) ? 1 : 0;
}

Boxes::Boxes() {
    boxes = new std::vector<Box>();
    answers = new std::deque<int>();
    boxHook = SetWindowsHookExA(WH_CBT, OnBoxActivated, nullptr, GetCurrentThreadId());
}

Boxes::~Boxes() {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
    delete boxes;
    delete answers;
    boxes = nullptr;
    answers = nullptr;
}

void Boxes::Answer(int button) {
    answers->push_back(button);
}

const std::vector<Box>& Boxes::Seen() const {
    return *boxes;
}

void Boxes::Clear() {
    boxes->clear();
}

FakeManager::FakeManager() {
    module_ = LoadLibraryA((ExeFolder() + "\\fake_dsm\\TWAIN_32.DLL").c_str());
    if (module_ == nullptr) return;
    auto calls =
        reinterpret_cast<void* (*)()>(reinterpret_cast<void*>(GetProcAddress(module_, "FakeDsmCalls")));
    calls_ = calls ? calls() : nullptr;
    lx9::SetManagerLibraryName(nullptr);  // "TWAIN_32.DLL": the one loaded here
    Clear();
}

FakeManager::~FakeManager() {
    lx9::SetManagerLibraryName("no_such_manager.dll");
    if (module_) FreeLibrary(module_);
}

// The recording manager's record: a count, the two identities, then the triplet.
struct FakeCalls {
    int count;
    TW_IDENTITY origin;
    TW_IDENTITY destination;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};

int FakeManager::Count() const {
    return calls_ ? static_cast<FakeCalls*>(calls_)->count : 0;
}

unsigned FakeManager::LastMessage() const {
    return calls_ ? static_cast<FakeCalls*>(calls_)->msg : 0;
}

void FakeManager::Clear() {
    if (calls_) *static_cast<FakeCalls*>(calls_) = FakeCalls{};
}

std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("LX9_SOURCE_DIR");
    std::string path = root ? WindowsPath(root) : std::string(".");
    std::string rel = relative;
    for (char& c : rel) {
        if (c == '/') c = '\\';
    }
    return path + "\\" + rel;
}

namespace {

std::vector<std::string> MeaningfulLines(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        lines.push_back(line);
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string ArtifactFolder() {
    const char* binary = std::getenv("LX9_BINARY_DIR");
    std::string dir = binary ? WindowsPath(binary) + "\\artifacts" : std::string(".\\artifacts");
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

}  // namespace

std::string CompareGolden(const std::string& relative, const std::string& text) {
    const std::string path = SourcePath(relative);
    if (std::getenv("LX9_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << text;
        return {};
    }
    std::ifstream golden(path, std::ios::binary);
    if (!golden) return "no golden file " + relative;
    std::istringstream actual(text);
    const auto want = MeaningfulLines(golden);
    const auto got = MeaningfulLines(actual);
    if (want == got) return {};
    std::string name = relative.substr(relative.find_last_of('/') + 1);
    std::ofstream(ArtifactFolder() + "\\" + name, std::ios::binary) << text;
    for (size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        const std::string w = i < want.size() ? want[i] : "<end>";
        const std::string g = i < got.size() ? got[i] : "<end>";
        if (w != g) {
            return relative + " differs at line " + std::to_string(i + 1) + ":\n  golden: " + w +
                   "\n  actual: " + g + "\n(whole text in artifacts/" + name + ")";
        }
    }
    return {};
}

namespace {

std::string BridgeFolder() {
    const char* bridge = std::getenv("LX9_CONTROL_BRIDGE");
    return bridge ? WindowsPath(bridge) : std::string();
}

}  // namespace

bool ControlAvailable() {
    return !BridgeFolder().empty();
}

std::vector<std::string> Control(const std::string& command) {
    const std::string folder = BridgeFolder();
    if (folder.empty()) return {};
    const std::string reply = folder + "\\reply";
    DeleteFileA(reply.c_str());
    { std::ofstream(folder + "\\request.tmp", std::ios::binary) << command << "\n"; }
    MoveFileA((folder + "\\request.tmp").c_str(), (folder + "\\request").c_str());
    std::vector<std::string> lines;
    for (int waited = 0; waited < 10000; waited += 20) {
        if (GetFileAttributesA(reply.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::ifstream in(reply, std::ios::binary);
            std::string line;
            while (std::getline(in, line)) lines.push_back(line);
            in.close();
            DeleteFileA(reply.c_str());
            return lines;
        }
        Sleep(20);
    }
    return lines;
}

int HeapBlocksBetween(size_t low, size_t high) {
    HANDLE heap = GetProcessHeap();
    int count = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && entry.cbData >= low && entry.cbData <= high) ++count;
    }
    HeapUnlock(heap);
    return count;
}

bool HeapValid() {
    return HeapValidate(GetProcessHeap(), 0, nullptr) != FALSE;
}

}  // namespace lx9test
