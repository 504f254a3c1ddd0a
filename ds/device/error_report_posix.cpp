// The report without windows: the front end's sink keeps the text and learns that the work ended.
#include <cstring>

#include "device/commands.h"
#include "device/error_report.h"
#include "device/release_hooks.h"
#include "lx9comm.h"

namespace lx9 {

void ReportDeviceError(ReportSink* sink) {
    ReportDeviceErrorFor(sink, static_cast<uint16_t>(DeviceLastError()));
}

void ReportDeviceErrorFor(ReportSink* sink, uint16_t lastError) {
    char text[kErrorTextSize] = {};
    DeviceErrorText(lastError, text, sizeof text);
    if (sink != nullptr) {
        sink->ended = true;
        sink->lastError = lastError;
        std::memcpy(sink->text, text, sizeof text);
    }
    RunReleaseHooks();
    LPT1_Close();
}

bool ReportEnded(ReportSink* sink) {
    return sink == nullptr || sink->ended;
}

}  // namespace lx9
