// The small dialogs (placeholder until the dialogs themselves are built).
#include "ui/aux_dialogs.h"

namespace lx9 {

INT_PTR ShowSplash(HWND) {
    return 0;
}

INT_PTR ShowAboutDialog(HWND) {
    return 0;
}

INT_PTR ShowPropertyDialog(HWND) {
    return 0;
}

}  // namespace lx9
