// The main window (placeholder until the window itself is built).
#include "ui/main_window.h"

#include "twain/source_state.h"

namespace lx9 {

INT_PTR CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

HWND CreateMainWindow(HWND) {
    return nullptr;
}

void RestartPreparation(HWND) {}

}  // namespace lx9
