// Opening, closing and looking after the scanner: what the data source does when its user interface is
// enabled (the preparing dialog) and for the eject button, without windows.
#include "session.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "device_guard.h"
#include "lx9comm.h"
#include "outcome.h"
#include "preparation.h"
#include "ui/workflows/eject.h"

namespace lx9::sane {

namespace {

// The core's state is the process's: the session that holds it.
const Session* holder = nullptr;

// LX9Comm opens the path named by LX9_PORT, at the open and again when its recovery re-opens the port: the
// session's path stays there while the session holds the port, and what was there before comes back after.
std::optional<std::string> portBefore;
bool portSet = false;

void UsePort(const std::string& port) {
    if (port.empty() || portSet) return;
    const char* before = std::getenv("LX9_PORT");
    portBefore = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("LX9_PORT", port.c_str(), 1);
    portSet = true;
}

void RestorePort() {
    if (!portSet) return;
    if (portBefore) {
        setenv("LX9_PORT", portBefore->c_str(), 1);
    } else {
        unsetenv("LX9_PORT");
    }
    portSet = false;
}

void Release() {
    holder = nullptr;
    RestorePort();
}

bool PathExists(const std::string& port) {
    const char* path = port.empty() ? std::getenv("LX9_PORT") : port.c_str();
    struct stat st {};
    return path != nullptr && *path != '\0' && stat(path, &st) == 0;
}

}  // namespace

Session::Session() = default;

Session::~Session() {
    Close();
}

Status Session::Finish(Status status, std::string reason) {
    reason_ = status == Status::kGood ? std::string() : std::move(reason);
    // A report closed the port, as it ends the data source's work with the device.
    if (sink_ && sink_->ended && open_) {
        open_ = false;
        Release();
    }
    return status;
}

Status Session::Open(const std::string& port, int cartridgeWaitMs) {
    if (holder != nullptr && holder != this) return Finish(Status::kDeviceBusy, "another session is open");
    Close();
    if (!sink_) sink_ = std::make_unique<ReportSink>();
    *sink_ = ReportSink{};
    cartridgeWaitMs_ = cartridgeWaitMs < 0 ? 0 : cartridgeWaitMs;
    UseMessages(0);
    UsePort(port);
    if (LPT1_Open() != 1) {
        const bool exists = PathExists(port);
        RestorePort();
        if (exists) return Finish(Status::kDeviceBusy, "the port " + port + " is held by another program");
        return Finish(Status::kIoError, "cannot open the port " + port);
    }
    open_ = true;
    holder = this;
    ClearErrorFlags();
    // Every open starts over: the port may lead to another scanner than the last one.
    prepState = kPrepWake;

    char idText[kIdTextSize] = {};
    if (!Inquire(idText, sizeof idText, &deviceBufferSize)) {
        const Outcome failed = ReportFailure(sink_.get(), "identification");
        return Finish(failed.status, failed.reason);
    }
    if (std::strcmp(idText, kExpectedDeviceId) != 0) {
        idMismatch = 1;
        const Outcome failed = ReportFailure(sink_.get(), "identification");
        return Finish(failed.status, failed.reason + " (\"" + idText + "\")");
    }
    const Outcome prepared = RunPreparation(sink_.get(), static_cast<uint32_t>(cartridgeWaitMs_));
    if (!prepared.Good()) {
        Close();
        return Finish(prepared.status, prepared.reason);
    }
    return Finish(Status::kGood, {});
}

void Session::Close() {
    if (open_) LPT1_Close();
    open_ = false;
    if (holder == this) Release();
}

bool Session::IsOpen() const {
    return open_;
}

int Session::FrameCount() const {
    return open_ ? frameCount : 0;
}

// The status guard of the data source's steps: a restarted scanner or another cartridge prepares again
// (what RestartPreparation does), bounded like Open.
Status Session::EnsurePrepared() {
    for (int round = 0; round <= kMaxRestarts; ++round) {
        switch (CheckDevice(sink_.get())) {
            case DeviceCheck::kFailed: {
                const Outcome failed = FromReport(*sink_, "status");
                return Finish(failed.status, failed.reason);
            }
            case DeviceCheck::kChanged: {
                const Outcome prepared = RunPreparation(sink_.get(), static_cast<uint32_t>(cartridgeWaitMs_));
                if (!prepared.Good()) return Finish(prepared.status, prepared.reason);
                continue;
            }
            case DeviceCheck::kIdle:
            case DeviceCheck::kBusy:
                return Finish(Status::kGood, {});
        }
    }
    return Finish(Status::kIoError, "the scanner or the cartridge keeps changing");
}

Status Session::Refresh() {
    if (!open_) return Finish(Status::kInvalid, "the session is not open");
    return EnsurePrepared();
}

Status Session::Eject() {
    if (!open_) return Finish(Status::kInvalid, "the session is not open");
    EjectCartridgeWhenIdle(sink_.get());
    if (sink_->ended) {
        const Outcome failed = FromReport(*sink_, "eject");
        return Finish(failed.status, failed.reason);
    }
    return Finish(Status::kGood, {});
}

const std::string& Session::Reason() const {
    return reason_;
}

}  // namespace lx9::sane
