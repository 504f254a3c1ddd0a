#include "preparation.h"

#include "device/commands.h"
#include "device/device_time.h"
#include "device/preparation_state.h"
#include "device/startup_steps.h"

namespace lx9::sane {

namespace {
constexpr int16_t kRefusedLastError = 112;  // the device answered status 0x70
}  // namespace

Outcome RunPreparation(ReportSink* sink, uint32_t cartridgeWaitMs) {
    int restarts = 0;
    bool senseAsked = false;
    int32_t waitingIn = 0;  // the state whose condition is awaited, and since when
    uint32_t since = 0;
    for (;;) {
        const int32_t state = prepState;
        switch (RunPreparationStep(WakeTiming{kWakePollMs, kWakeBusyPolls})) {
            case StepEnd::kFailed:
                // A scanner still refusing after an earlier failed exchange (status 0x70) waits for its sense
                // to be asked; the start-up's reads have no recovery of their own, so ask once and go on.
                if (!senseAsked && DeviceLastError() == kRefusedLastError) {
                    senseAsked = true;
                    if (RecoverFromSense()) continue;
                }
                return ReportFailure(sink, "start-up");
            case StepEnd::kAdvanced:
                if (state == kPrepFinish) return {};
                continue;
            case StepEnd::kWentBack:
                if (++restarts > kMaxRestarts)
                    return Fail(Status::kIoError, "start-up: the scanner or the cartridge keeps changing");
                continue;
            case StepEnd::kStay:
                break;
        }
        if (state != waitingIn) {
            waitingIn = state;
            since = TickMs();
        }
        const uint32_t waited = TickMs() - since;
        if (state == kPrepCartridge && waited >= cartridgeWaitMs)
            return Fail(Status::kNoDocs, "no cartridge within " + std::to_string(cartridgeWaitMs) + " ms");
        if (state != kPrepCartridge && waited >= kStateBoundMs)
            return Fail(Status::kDeviceBusy, "start-up: state " + std::to_string(state) +
                                                 " did not complete within " + std::to_string(kStateBoundMs) +
                                                 " ms");
        WaitMs(kPreparationPollMs);
    }
}

}  // namespace lx9::sane
