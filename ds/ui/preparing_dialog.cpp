// The device-preparing dialog (placeholder until the dialog itself is built).
#include "ui/preparing_dialog.h"

namespace lx9 {

INT_PTR CALLBACK PreparingDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR ShowPreparingDialog(HWND) {
    return 0;
}

}  // namespace lx9
