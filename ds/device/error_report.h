// The device error report: the one place where a failed device or memory operation becomes a message box,
// after which the data source ends its work with the device and asks the application to close it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace lx9 {

// The text for a last error (taken as unsigned 16-bit) and the error flags, in the loaded language.
// For 113 it asks the device for the sense byte (REQUEST SENSE 0x0071); should that fail with another error,
// the text of that error is chosen instead. text receives at most size bytes, NUL included.
void DeviceErrorText(uint16_t lastError, char* text, size_t size);
constexpr size_t kErrorTextSize = 256;

// Message box (caption CaptionError, stop icon) with the text for DeviceLastError(), then frees preview and
// index images through the registered hooks, ends and destroys window (preparing dialog or main window; may
// be null), closes the port and sends the close request.
void ReportDeviceError(HWND window);

// The same report for a given last error.
void ReportDeviceErrorFor(HWND window, uint16_t lastError);

// Releases registered by the windows that own those buffers (null: nothing to release).
using ReleaseHook = void (*)();
void SetPreviewBuffersRelease(ReleaseHook hook);  // crop window's FreePreviewBuffers
void SetIndexImagesRelease(ReleaseHook hook);     // main window's FreeIndexImages

}  // namespace lx9
