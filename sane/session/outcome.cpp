#include "outcome.h"

#include "device/device_state.h"
#include "device/error_report.h"
#include "scan_support.h"

namespace lx9::sane {

namespace {

constexpr uint16_t kRefusedBusy = 112;  // status 0x70: the scanner refused while busy, past every retry
constexpr uint16_t kPortNotOpen = 260;
constexpr uint16_t kNoMemory = 261;

Status StatusOf(const ReportSink& sink) {
    if (memoryFailed || sink.lastError == kNoMemory) return Status::kNoMem;
    if (cartridgeFailed) return Status::kNoDocs;
    if (sink.lastError == kRefusedBusy) return Status::kDeviceBusy;
    return Status::kIoError;
}

}  // namespace

Outcome FromReport(const ReportSink& sink, const char* doing) {
    std::string reason = std::string(doing) + ": " + sink.text;
    if (sink.lastError != 0)
        reason += " (last error " + std::to_string(static_cast<int16_t>(sink.lastError)) + ")";
    if (sink.lastError == kPortNotOpen) reason += "; port closed";
    return Fail(StatusOf(sink), std::move(reason));
}

Outcome NoMemory(ReportSink* sink) {
    memoryFailed = 1;
    return ReportFailure(sink, "memory");
}

Outcome ReportFailure(ReportSink* sink, const char* doing) {
    if (!ReportEnded(sink)) ReportDeviceError(sink);
    return FromReport(*sink, doing);
}

}  // namespace lx9::sane
