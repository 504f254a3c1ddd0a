// Shared window geometry.
#include "ui/window_layout.h"

#include "twain/source_state.h"

#include <cstdlib>

namespace lx9 {

void CentreWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = std::abs((GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int top = std::abs((GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SizeWindowAtOrigin(HWND window, int width, int height) {
    MoveWindow(window, 0, 0, width, height, FALSE);
}

void PlaceControls(HWND window, const ControlPlace* places, int count) {
    for (int i = 0; i < count; ++i) {
        const ControlPlace& p = places[i];
        if (HWND control = GetDlgItem(window, p.id)) MoveWindow(control, p.x, p.y, p.width, p.height, FALSE);
    }
}

int TemplateForLanguage(int english, int french, int german) {
    if (language == 2) return german;
    if (language == 1) return french;
    return english;
}

void SetFrameNumberTitle(HWND window, int frame) {
    // Wide text: the French title carries an accent whatever the code page.
    const wchar_t* formats[3] = {L"No. %d", L"Num\u00e9ro. %d", L"Nr. %d"};
    wchar_t title[64];
    wsprintfW(title, formats[TemplateForLanguage(0, 1, 2)], frame);
    SetWindowTextW(window, title);
}

}  // namespace lx9
