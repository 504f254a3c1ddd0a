// The report in the data source: a message box on the window, which then ends, and the close request.
#include <windows.h>

#include "device/commands.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "device/release_hooks.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"

namespace lx9 {

void ReportDeviceError(HWND window) {
    ReportDeviceErrorFor(window, static_cast<uint16_t>(DeviceLastError()));
}

void ReportDeviceErrorFor(HWND window, uint16_t lastError) {
    char text[kErrorTextSize];
    DeviceErrorText(lastError, text, sizeof text);
    MessageBoxA(window, text, CaptionError, MB_ICONERROR);
    RunReleaseHooks();
    if (window) {
        // The window is the modal preparing dialog or the modeless main window.
        EndDialog(window, 0);
        DestroyWindow(window);
    }
    LPT1_Close();
    NotifyCloseRequest();
}

bool ReportEnded(HWND window) {
    return mainDialog != window || !IsWindow(window);
}

}  // namespace lx9
