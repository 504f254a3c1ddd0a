#include "box_answerer.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>

namespace lx9::acquire {
namespace {

HHOOK hook = nullptr;
int chosenAnswer = IDOK;
std::set<HWND> answered;  // a box may be activated more than once; it is printed and answered once

constexpr int kTextId = 0xFFFF;  // the message text's static in a message box

bool IsBoxButton(int id) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
        case IDABORT:
        case IDRETRY:
        case IDIGNORE:
        case IDYES:
        case IDNO:
        case IDHELP:
        case IDTRYAGAIN:
        case IDCONTINUE:
            return true;
        default:
            return false;
    }
}

// A message box, not one of the source's own dialogs: only statics and message-box buttons, the text
// static among them.
BOOL CALLBACK CheckChild(HWND child, LPARAM data) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof(className));
    const int id = GetDlgCtrlID(child);
    const bool isStatic = _stricmp(className, "Static") == 0;
    const bool isButton = _stricmp(className, "Button") == 0 && IsBoxButton(id);
    if (!isStatic && !isButton) *reinterpret_cast<bool*>(data) = false;
    return TRUE;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

int ButtonFor(HWND box) {
    if (GetDlgItem(box, chosenAnswer)) return chosenAnswer;
    const LRESULT defaultId = SendMessageA(box, DM_GETDEFID, 0, 0);
    if (HIWORD(defaultId) == DC_HASDEFID && GetDlgItem(box, LOWORD(defaultId))) return LOWORD(defaultId);
    return GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
}

void Answer(HWND box) {
    std::printf("%s\n", BoxLine(WindowText(box), WindowText(GetDlgItem(box, kTextId))).c_str());
    std::fflush(stdout);
    const int button = ButtonFor(box);
    // Posted: the box's own modal loop picks it up once it runs.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (!answered.contains(window) && IsMessageBox(window)) {
            answered.insert(window);
            Answer(window);
        }
    } else if (code == HCBT_DESTROYWND) {
        answered.erase(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

bool IsMessageBox(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") != 0 || !GetDlgItem(window, kTextId)) return false;
    bool onlyBoxControls = true;
    EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&onlyBoxControls));
    return onlyBoxControls;
}

std::string BoxLine(const std::string& caption, const std::string& text) {
    const auto quoted = [](const std::string& value) {
        std::string out = "\"";
        for (char c : value) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\r') {
                out += "\\r";
            } else if (c == '\n') {
                out += "\\n";
            } else {
                out += c;
            }
        }
        return out + "\"";
    };
    return "BOX " + quoted(caption) + " " + quoted(text);
}

bool InstallBoxAnswerer(int answer) {
    chosenAnswer = answer;
    if (!hook) hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    return hook != nullptr;
}

void RemoveBoxAnswerer() {
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
}

}  // namespace lx9::acquire
