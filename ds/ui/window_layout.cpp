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

}  // namespace lx9
