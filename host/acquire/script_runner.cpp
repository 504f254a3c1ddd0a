#include "script_runner.h"

#include "box_answerer.h"
#include "image_files.h"
#include "watchdog.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace lx9::acquire {
namespace {

// Control identifiers of the source's windows.
constexpr int kPrepPicture = 1001;
constexpr int kPrepProgress = 1005;
constexpr int kFilmList = 1167;
constexpr int kMainAll = 1000;
constexpr int kMainScrollBar = 1132;
constexpr int kMainModeList = 1004;
constexpr int kBoxText = 0xFFFF;
constexpr int kCropScan = 1002;
constexpr int kCropExit = 1161;
constexpr int kCropWidth = 1159;
constexpr int kCropHeight = 1160;
// A drag is delivered as the mouse would: the press, this many moves with the button held, the release.
constexpr int kDragMoves = 8;
// A point of the main window's client area that no control covers (below the scroll bar).
constexpr POINT kFreeSpot{620, 425};

constexpr UINT kTickMs = 20;

std::vector<ScriptCommand> commands;
std::size_t next = 0;
int phase = 0;  // steps within one command
DWORD started = 0;
bool running = false;
bool failed = false;
bool inTick = false;
UINT_PTR timer = 0;
HWND current = nullptr;  // the window the last wait found
int imagesReceived = 0;  // images the application has saved in this run
int imagesAwaited = 0;   // the count the last "wait image" waited for

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int Children(HWND window) {
    int count = 0;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

// What kind of the source's windows this is, by the controls it carries.
std::string KindOf(HWND window) {
    if (!IsWindowVisible(window)) return {};
    if (IsMessageBox(window)) return "box";
    if (GetDlgItem(window, kMainScrollBar) && GetDlgItem(window, kMainAll)) return "main";
    if (ClassOf(window) != "#32770") return {};
    if (GetDlgItem(window, kCropScan) && GetDlgItem(window, kCropExit) && GetDlgItem(window, kCropWidth) &&
        GetDlgItem(window, kCropHeight)) {
        return "crop";
    }
    // The preparing dialog has a bar and EXIT too: only its picture tells it from the progress dialog.
    if (GetDlgItem(window, kPrepPicture) && GetDlgItem(window, kPrepProgress)) return "preparing";
    if (GetDlgItem(window, kPrepProgress) && GetDlgItem(window, IDCANCEL)) return "progress";
    if (GetDlgItem(window, kFilmList)) return "property";
    const int children = Children(window);
    if (children == 1 && GetDlgItem(window, IDOK) && !GetDlgItem(window, kBoxText)) return "about";
    if (children == 0 && TextOf(window).empty()) return "splash";
    return {};
}

struct Search {
    const char* kind;
    HWND found;
};

BOOL CALLBACK FindKind(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (KindOf(window) != search->kind) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindWindowOfKind(const char* kind) {
    Search search{kind, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindKind, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK FindMenu(HWND window, LPARAM data) {
    if (ClassOf(window) == "#32768" && IsWindowVisible(window)) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

bool MenuOpen() {
    bool open = false;
    EnumThreadWindows(GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&open));
    if (!open) EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&open));  // menus may belong to no thread list
    return open;
}

struct CaptionSearch {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<CaptionSearch*>(data);
    if (_stricmp(ClassOf(child).c_str(), "Button") == 0 && TextOf(child) == *search->caption) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

void Report(const ScriptCommand& command, bool ok, const std::string& detail) {
    std::printf("SCRIPT %d %s %s%s%s\n", command.line, ok ? "OK" : "FAIL", command.text.c_str(),
                detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    Progress();
}

// Ends the run: the application's loop (or the source's modal loop it is in) sees WM_QUIT.
void Fail(const ScriptCommand& command, const std::string& reason) {
    Report(command, false, reason);
    failed = true;
    running = false;
    PostQuitMessage(0);
}

enum class Step { kPending, kDone, kFailed };

Step Done(const ScriptCommand& command, const std::string& detail = {}) {
    Report(command, true, detail);
    return Step::kDone;
}

Step Failed(const ScriptCommand& command, const std::string& reason) {
    Fail(command, reason);
    return Step::kFailed;
}

bool TimedOut(const ScriptCommand& command) {
    return GetTickCount() - started > command.timeoutMs;
}

std::string Elapsed() {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", (GetTickCount() - started) / 1000.0);
    return text;
}

// The current window, or the first window of that kind when the current one is another.
HWND WindowFor(const char* kind) {
    if (current && IsWindow(current) && KindOf(current) == kind) return current;
    return FindWindowOfKind(kind);
}

Step ClickControl(const ScriptCommand& command, HWND window, HWND control, const std::string& name) {
    if (!control) return Failed(command, "no control " + name);
    if (!IsWindowVisible(control)) return Failed(command, "control " + name + " is hidden");
    if (!IsWindowEnabled(control)) return Failed(command, "control " + name + " is disabled");
    (void)window;
    // Posted: the click runs in the window's own loop, which may open a modal window of its own.
    PostMessageA(control, BM_CLICK, 0, 0);
    return Done(command);
}

// The thread's keyboard state, as a key or mouse button held down leaves it.
void SetKeys(std::initializer_list<int> keys, bool down) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (const int key : keys) state[key] = down ? 0x80 : 0x00;
    SetKeyboardState(state);
}

void SetCtrl(bool down) {
    SetKeys({VK_CONTROL, VK_LCONTROL}, down);
}

// Chooses entry `entry` of a drop-down list with the arrow keys, as a person does once it has the focus.
void ChooseWithKeys(HWND list, int entry) {
    SetFocus(list);
    const int shown = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    const bool down = entry > shown;
    const WPARAM key = down ? VK_DOWN : VK_UP;
    const LPARAM scan = down ? 0x00500001 : 0x00480001;
    for (int i = shown < 0 ? -1 : shown; i != entry; i += down ? 1 : -1) {
        PostMessageA(list, WM_KEYDOWN, key, scan);
        PostMessageA(list, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000000));
    }
}

Step RunWait(const ScriptCommand& command) {
    if (command.word == "gone") {
        if (!current || !IsWindow(current) || !IsWindowVisible(current)) return Done(command, Elapsed());
    } else if (HWND window = FindWindowOfKind(command.word.c_str())) {
        current = window;
        return Done(command, Quoted(TextOf(window)) + " after " + Elapsed());
    }
    if (TimedOut(command)) return Failed(command, "timed out after " + Elapsed());
    return Step::kPending;
}

Step RunWaitImage(const ScriptCommand& command) {
    const int wanted = command.number > 0 ? command.number : imagesAwaited + 1;
    if (imagesReceived >= wanted) {
        if (wanted > imagesAwaited) imagesAwaited = wanted;
        return Done(command, std::to_string(imagesReceived) + " received after " + Elapsed());
    }
    if (TimedOut(command)) {
        return Failed(command, std::to_string(imagesReceived) + " of " + std::to_string(wanted) +
                                   " received, timed out after " + Elapsed());
    }
    return Step::kPending;
}

Step RunWaitEnabled(const ScriptCommand& command) {
    if (!current || !IsWindow(current)) return Failed(command, "no current window (wait for one first)");
    const HWND control = GetDlgItem(current, command.number);
    if (!control) return Failed(command, "no control " + std::to_string(command.number));
    const bool visible = IsWindowVisible(control) != 0;
    const bool enabled = IsWindowEnabled(control) != 0;
    if (visible && enabled) return Done(command, Elapsed());
    if (TimedOut(command)) {
        return Failed(command, std::string("it is ") + (visible ? "visible" : "hidden") + ", " +
                                   (enabled ? "enabled" : "disabled") + " after " + Elapsed());
    }
    return Step::kPending;
}

// The left button down, moves with it held, up: one message per tick, as a hand moves the mouse. Mouse
// messages go to the window under the cursor, so the press must land in the crop window's client area; the
// window captures the mouse then, and the moves and the release reach it wherever they are.
Step RunDrag(const ScriptCommand& command) {
    HWND crop = WindowFor("crop");
    if (!crop) return Failed(command, "no crop window");
    const int* p = command.points;
    const auto at = [](int x, int y) {
        return static_cast<LPARAM>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    };
    if (phase == 0) {
        RECT client{};
        GetClientRect(crop, &client);
        if (!IsWindowEnabled(crop)) return Failed(command, "the crop window is disabled");
        const POINT press{p[0], p[1]};
        if (!PtInRect(&client, press)) {
            return Failed(command, "the press (" + std::to_string(p[0]) + ", " + std::to_string(p[1]) +
                                       ") is outside the window's client area");
        }
        SetKeys({VK_LBUTTON}, true);
        PostMessageA(crop, WM_LBUTTONDOWN, MK_LBUTTON, at(p[0], p[1]));
        phase = 1;
        return Step::kPending;
    }
    if (phase <= kDragMoves) {
        const int x = p[0] + (p[2] - p[0]) * phase / kDragMoves;
        const int y = p[1] + (p[3] - p[1]) * phase / kDragMoves;
        PostMessageA(crop, WM_MOUSEMOVE, MK_LBUTTON, at(x, y));
        ++phase;
        return Step::kPending;
    }
    if (phase == kDragMoves + 1) {
        SetKeys({VK_LBUTTON}, false);
        PostMessageA(crop, WM_LBUTTONUP, 0, at(p[2], p[3]));
        ++phase;
        return Step::kPending;
    }
    // What the window shows of the band (its width and height values, in scan pixels).
    return Done(command,
                "W " + TextOf(GetDlgItem(crop, kCropWidth)) + " H " + TextOf(GetDlgItem(crop, kCropHeight)));
}

Step RunWaitText(const ScriptCommand& command) {
    const HWND control = current ? GetDlgItem(current, command.number) : nullptr;
    const std::string shown = control ? TextOf(control) : std::string();
    if (control && shown == command.value) return Done(command, Elapsed());
    if (TimedOut(command)) {
        return Failed(command,
                      control ? "shows " + Quoted(shown) + " after " + Elapsed() : "no such control");
    }
    return Step::kPending;
}

Step RunClick(const ScriptCommand& command) {
    if (!current || !IsWindow(current)) return Failed(command, "no current window (wait for one first)");
    if (!command.word.empty()) {
        CaptionSearch search{&command.word, nullptr};
        EnumChildWindows(current, FindCaption, reinterpret_cast<LPARAM>(&search));
        return ClickControl(command, current, search.found, Quoted(command.word));
    }
    return ClickControl(command, current, GetDlgItem(current, command.number),
                        std::to_string(command.number));
}

int CellButton(int cell) {
    return cell <= 14 ? 1017 + cell : 1019 + cell;  // 1018..1031, then 1034..1044
}

Step RunCell(const ScriptCommand& command) {
    HWND main = WindowFor("main");
    if (!main) return Failed(command, "no main window");
    if (phase == 0) {
        HWND button = GetDlgItem(main, CellButton(command.number));
        if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) {
            return Failed(command, "cell " + std::to_string(command.number) + " cannot be clicked");
        }
        if (command.ctrl) SetCtrl(true);
        PostMessageA(button, BM_CLICK, 0, 0);
        phase = 1;
        return Step::kPending;
    }
    // The next tick comes once the click has been handled: the key goes up again.
    if (command.ctrl) SetCtrl(false);
    return Done(command);
}

Step ChooseInList(const ScriptCommand& command, const char* kind, int listId) {
    HWND window = WindowFor(kind);
    if (!window) return Failed(command, std::string("no ") + kind + " window");
    HWND list = GetDlgItem(window, listId);
    if (phase == 0) {
        if (!list || !IsWindowEnabled(list)) return Failed(command, "the list cannot be used");
        ChooseWithKeys(list, command.number);
        phase = 1;
        return Step::kPending;
    }
    const LRESULT chosen = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (chosen != command.number) return Failed(command, "the list shows entry " + std::to_string(chosen));
    char text[128] = {};
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(text));
    return Done(command, Quoted(text));
}

Step RunSelectAll(const ScriptCommand& command) {
    HWND main = WindowFor("main");
    if (!main) return Failed(command, "no main window");
    switch (phase) {
        case 0:
            PostMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kFreeSpot.x, kFreeSpot.y));
            PostMessageA(main, WM_RBUTTONUP, 0, MAKELPARAM(kFreeSpot.x, kFreeSpot.y));
            phase = 1;
            return Step::kPending;
        case 1:
            if (!MenuOpen()) {
                if (TimedOut(command)) return Failed(command, "no popup menu came");
                return Step::kPending;
            }
            // The menu's own loop takes the keys: the first item, then Enter.
            PostMessageA(main, WM_KEYDOWN, VK_DOWN, 0x00500001);
            PostMessageA(main, WM_KEYUP, VK_DOWN, 0xC0500001);
            PostMessageA(main, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageA(main, WM_KEYUP, VK_RETURN, 0xC01C0001);
            phase = 2;
            return Step::kPending;
        default:
            if (MenuOpen()) {
                if (TimedOut(command)) return Failed(command, "the popup menu stays open");
                return Step::kPending;
            }
            return Done(command);
    }
}

Step RunPage(const ScriptCommand& command) {
    HWND main = WindowFor("main");
    if (!main) return Failed(command, "no main window");
    HWND bar = GetDlgItem(main, kMainScrollBar);
    if (!bar || !IsWindowVisible(bar) || !IsWindowEnabled(bar))
        return Failed(command, "no scroll bar to use");
    // What the scroll bar sends for a click in its page area: the request, then the end of scrolling.
    const WORD request = command.word == "down" ? SB_PAGEDOWN : SB_PAGEUP;
    PostMessageA(main, WM_VSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(bar));
    PostMessageA(main, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(bar));
    return Done(command);
}

int AnswerButton(const std::string& answer) {
    if (answer == "cancel") return IDCANCEL;
    if (answer == "yes") return IDYES;
    if (answer == "no") return IDNO;
    return IDOK;
}

Step RunAnswer(const ScriptCommand& command) {
    HWND box = FindWindowOfKind("box");
    if (!box) {
        if (TimedOut(command)) return Failed(command, "no message box came within " + Elapsed());
        return Step::kPending;
    }
    std::printf("%s\n", BoxLine(TextOf(box), TextOf(GetDlgItem(box, kBoxText))).c_str());
    HWND button = GetDlgItem(box, AnswerButton(command.word));
    if (!button) return Failed(command, "the box has no such button");
    PostMessageA(button, BM_CLICK, 0, 0);
    return Done(command);
}

Step RunCloseAbout(const ScriptCommand& command) {
    HWND about = WindowFor("about");
    if (!about) return Failed(command, "no About dialog");
    return ClickControl(command, about, GetDlgItem(about, IDOK), "OK");
}

Step RunCheck(const ScriptCommand& command) {
    HWND control = current ? GetDlgItem(current, command.number) : nullptr;
    if (!control) return Failed(command, "no control " + std::to_string(command.number));
    if (command.word == "text") {
        const std::string shown = TextOf(control);
        return shown == command.value ? Done(command) : Failed(command, "shows " + Quoted(shown));
    }
    const bool visible = IsWindowVisible(control) != 0;
    const bool enabled = IsWindowEnabled(control) != 0;
    const std::string state =
        std::string(visible ? "visible" : "hidden") + ", " + (enabled ? "enabled" : "disabled");
    bool ok = false;
    if (command.word == "visible") ok = visible;
    if (command.word == "hidden") ok = !visible;
    if (command.word == "enabled") ok = enabled;
    if (command.word == "disabled") ok = !enabled;
    return ok ? Done(command) : Failed(command, "it is " + state);
}

Step RunSleep(const ScriptCommand& command) {
    if (GetTickCount() - started >= static_cast<DWORD>(command.number)) return Done(command);
    return Step::kPending;
}

// Whether windows are drawn anywhere: under Wine's null display driver nothing is.
bool HaveDisplay() {
    HKEY key = nullptr;
    char driver[64] = {};
    DWORD size = sizeof driver;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Graphics", nullptr, nullptr, reinterpret_cast<BYTE*>(driver), &size);
        RegCloseKey(key);
    }
    return _stricmp(driver, "null") != 0;
}

Step RunScreenshot(const ScriptCommand& command) {
    if (!current || !IsWindow(current)) return Failed(command, "no current window (wait for one first)");
    if (!HaveDisplay()) return Done(command, "skipped, no display");
    RECT rect{};
    GetWindowRect(current, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RgbImage image;
    if (!ResizeImage(image, width, height)) return Failed(command, "the window has no size");
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return Failed(command, "no memory for the picture");
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = static_cast<const uint8_t*>(bits) + static_cast<std::size_t>(stride) * y;
        uint8_t* to = image.Row(static_cast<uint32_t>(y));
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::string error;
    if (!WritePngFile(image, command.value, error)) return Failed(command, error);
    return Done(command, std::to_string(width) + "x" + std::to_string(height));
}

Step RunCommand(const ScriptCommand& command) {
    switch (command.verb) {
        case ScriptVerb::kWait:
            return RunWait(command);
        case ScriptVerb::kWaitImage:
            return RunWaitImage(command);
        case ScriptVerb::kWaitText:
            return RunWaitText(command);
        case ScriptVerb::kWaitEnabled:
            return RunWaitEnabled(command);
        case ScriptVerb::kDrag:
            return RunDrag(command);
        case ScriptVerb::kClick:
            return RunClick(command);
        case ScriptVerb::kCell:
            return RunCell(command);
        case ScriptVerb::kMode:
            return ChooseInList(command, "main", kMainModeList);
        case ScriptVerb::kSelectAll:
            return RunSelectAll(command);
        case ScriptVerb::kPage:
            return RunPage(command);
        case ScriptVerb::kAnswer:
            return RunAnswer(command);
        case ScriptVerb::kFilm:
            return ChooseInList(command, "property", kFilmList);
        case ScriptVerb::kCloseAbout:
            return RunCloseAbout(command);
        case ScriptVerb::kCheck:
            return RunCheck(command);
        case ScriptVerb::kSleep:
            return RunSleep(command);
        case ScriptVerb::kScreenshot:
            return RunScreenshot(command);
        case ScriptVerb::kEnd:
            // Not a person's input: the application itself leaves its loop, then disables and closes.
            PostQuitMessage(0);
            return Done(command);
    }
    return Failed(command, "unknown command");
}

// One step of the script per tick; the tick also comes inside the source's modal loops (dialogs, message
// boxes, the popup menu), which dispatch the thread's timers.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (inTick || !running) return;
    inTick = true;
    while (running && next < commands.size()) {
        if (started == 0) started = GetTickCount();
        const Step step = RunCommand(commands[next]);
        if (step != Step::kDone) break;
        ++next;
        phase = 0;
        started = 0;
        break;  // one command per tick: what it posted is handled before the next one looks
    }
    if (next >= commands.size()) running = false;
    inTick = false;
}

}  // namespace

bool StartScript(std::vector<ScriptCommand> script) {
    commands = std::move(script);
    next = 0;
    phase = 0;
    started = 0;
    failed = false;
    current = nullptr;
    imagesReceived = 0;
    imagesAwaited = 0;
    running = !commands.empty();
    timer = SetTimer(nullptr, 0, kTickMs, Tick);
    return timer != 0;
}

void PauseScript() {
    if (timer) KillTimer(nullptr, timer);
    timer = 0;
    running = false;
}

void ScriptImageReceived() {
    ++imagesReceived;
}

bool StopScript() {
    if (timer) KillTimer(nullptr, timer);
    timer = 0;
    running = false;
    if (failed) return false;
    // The run may end (a close request) right after the click that closed the window: its window is gone.
    while (next < commands.size() && commands[next].verb == ScriptVerb::kWait &&
           commands[next].word == "gone") {
        started = GetTickCount();
        if (RunWait(commands[next]) != Step::kDone) {
            Report(commands[next], false, "still there when the run ended");
            return false;
        }
        ++next;
    }
    if (next < commands.size()) {
        std::printf("SCRIPT %d FAIL %s: not reached (the run ended first)\n", commands[next].line,
                    commands[next].text.c_str());
        return false;
    }
    return true;
}

}  // namespace lx9::acquire
