// The device error report: the one place where a failed device or memory operation becomes a message for
// the user, after which the front end's work with the device ends (port closed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/report_target.h"

namespace lx9 {

// The text for a last error (taken as unsigned 16-bit) and the error flags, in the loaded language.
// For 113 it asks the device for the sense byte (REQUEST SENSE 0x0071); should that fail with another error,
// the text of that error is chosen instead. text receives at most size bytes, NUL included.
void DeviceErrorText(uint16_t lastError, char* text, size_t size);

// The report of DeviceLastError(). In the data source: a message box (caption CaptionError, stop icon), then
// preview and index images freed through the registered hooks, window (preparing dialog or main window; may
// be null) ended and destroyed, the port closed and the close request sent. Natively: the sink gets the text
// and is marked ended, the hooks run and the port is closed.
void ReportDeviceError(ReportTarget window);

// The same report for a given last error.
void ReportDeviceErrorFor(ReportTarget window, uint16_t lastError);

// True when a report (or, in the data source, a restart of the preparation) has ended target's work: the
// window is no longer the main window, or the sink was marked. A null target counts as ended.
bool ReportEnded(ReportTarget target);

// Releases registered by the windows that own those buffers (null: nothing to release).
using ReleaseHook = void (*)();
void SetPreviewBuffersRelease(ReleaseHook hook);  // crop window's FreePreviewBuffers
void SetIndexImagesRelease(ReleaseHook hook);     // main window's FreeIndexImages

}  // namespace lx9
