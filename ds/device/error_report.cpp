#include "device/error_report.h"

#include "device/commands.h"
#include "device/messages.h"
#include "lx9comm.h"
#include "twain/notify.h"

namespace lx9 {

namespace {

ReleaseHook releasePreviewBuffers = nullptr;
ReleaseHook releaseIndexImages = nullptr;

}  // namespace

void SetPreviewBuffersRelease(ReleaseHook hook) {
    releasePreviewBuffers = hook;
}
void SetIndexImagesRelease(ReleaseHook hook) {
    releaseIndexImages = hook;
}

void ReportDeviceError(HWND window) {
    ReportDeviceErrorFor(window, static_cast<uint16_t>(DeviceLastError()));
}

void ReportDeviceErrorFor(HWND window, uint16_t lastError) {
    char text[kErrorTextSize];
    DeviceErrorText(lastError, text, sizeof text);
    MessageBoxA(window, text, CaptionError, MB_ICONERROR);
    if (releasePreviewBuffers) releasePreviewBuffers();
    if (releaseIndexImages) releaseIndexImages();
    if (window) {
        // The window is the modal preparing dialog or the modeless main window.
        EndDialog(window, 0);
        DestroyWindow(window);
    }
    LPT1_Close();
    NotifyCloseRequest();
}

}  // namespace lx9
