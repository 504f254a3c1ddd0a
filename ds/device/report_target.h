// Where a device failure is reported. In the data source it is a window: the report shows a message box on
// it, ends it and asks the application to close the source. Elsewhere it is a sink the front end reads back.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstddef>
#include <cstdint>

namespace lx9 {

constexpr size_t kErrorTextSize = 256;

#ifdef _WIN32
using ReportTarget = HWND;
#else
// What a report leaves for a front end without windows: that the work ended, why, and the user's text.
struct ReportSink {
    bool ended = false;
    uint16_t lastError = 0;
    char text[kErrorTextSize] = {};
};
using ReportTarget = ReportSink*;
#endif

}  // namespace lx9
