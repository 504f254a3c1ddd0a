#include "device/startup_steps.h"

#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/exchange.h"
#include "device/preparation_state.h"
#include "device/startup_data.h"

namespace lx9 {

namespace {

constexpr int kWakeAttempts = 3;
constexpr uint32_t kStatusBlockBytes = 31;

// The data blocks start-up reads (fixed buffers: the calibration alone is 64 KB).
uint8_t calibrationBuffer[kCalibrationBytes];
uint8_t referenceBuffer[kShadingReferenceBytes];
uint8_t filmBuffer[kFilmInformationBytes];

bool Status(uint8_t* readyFlags = nullptr, uint8_t* preparationFlags = nullptr) {
    return GetDeviceStatus(readyFlags, &scannerWord, &cartridgeWord, preparationFlags) != 0;
}

StepEnd Enter(int32_t state) {
    prepState = state;
    return StepEnd::kAdvanced;
}

// kStay when both the scanner and (from 114 on) the cartridge are the ones start-up saw.
StepEnd ScannerCheck() {
    switch (CheckScannerUnchanged()) {
        case kScannerRestarted:
            return StepEnd::kWentBack;
        case kScannerStandbyOff:
            standbyOff = 1;
            return StepEnd::kFailed;
    }
    return StepEnd::kStay;
}

StepEnd BothChecks() {
    const StepEnd scanner = ScannerCheck();
    if (scanner != StepEnd::kStay) return scanner;
    return CheckCartridgeUnchanged() ? StepEnd::kStay : StepEnd::kWentBack;
}

// 110: standby on if need be; three attempts a poll delay apart, each once the scanner is idle.
StepEnd WakeScanner(const WakeTiming& timing) {
    if (!Status()) return StepEnd::kFailed;
    int attempts = 0;
    int busy = 0;
    while (scannerWord == 0) {
        uint8_t ready = 0;
        if (!Status(&ready)) return StepEnd::kFailed;
        if (!(ready & kReadyIdle)) {
            if (++busy > timing.busyPolls) {
                standbyOnFailed = 1;
                return StepEnd::kFailed;
            }
            WaitMs(timing.pollDelayMs);
            continue;
        }
        if (!DeviceControl(StandbyOn)) return StepEnd::kFailed;
        if (!Status()) return StepEnd::kFailed;
        if (scannerWord != 0) break;
        if (++attempts >= kWakeAttempts) {
            standbyOnFailed = 1;
            return StepEnd::kFailed;
        }
        WaitMs(timing.pollDelayMs);
    }
    startScannerWord = scannerWord;
    return Enter(kPrepCalibrating);
}

// 111: until the calibration is ready.
StepEnd AwaitCalibration() {
    uint8_t preparation = 0;
    if (!Status(nullptr, &preparation)) return StepEnd::kFailed;
    if (const StepEnd check = ScannerCheck(); check != StepEnd::kStay) return check;
    return (preparation & kPrepCalibration) ? Enter(kPrepLoadShading) : StepEnd::kStay;
}

// 112: the calibration data and the shading reference make the shading tables.
StepEnd LoadShading() {
    if (!ReadDeviceData(kReadCalibration, 0xFFFF, kCalibrationBytes, 0, calibrationBuffer))
        return StepEnd::kFailed;
    if (!ReadDeviceData(kReadShadingReference, 2, kShadingReferenceBytes, 0, referenceBuffer))
        return StepEnd::kFailed;
    LoadCalibration(calibrationBuffer, referenceBuffer);
    return Enter(kPrepCartridge);
}

// 113: until a cartridge is in; one that cannot be used ends start-up.
StepEnd AwaitCartridge() {
    if (!Status()) return StepEnd::kFailed;
    if (const StepEnd check = ScannerCheck(); check != StepEnd::kStay) return check;
    if (cartridgeWord == 0) return StepEnd::kStay;
    if (cartridgeWord < 0) {
        cartridgeFailed = 1;
        return StepEnd::kFailed;
    }
    startCartridgeWord = cartridgeWord;
    return Enter(kPrepStatus);
}

// 114: the status block, once ready (its contents are not used).
StepEnd ReadStatusBlock() {
    uint8_t preparation = 0;
    if (!Status(nullptr, &preparation)) return StepEnd::kFailed;
    if (const StepEnd check = BothChecks(); check != StepEnd::kStay) return check;
    if (!(preparation & kPrepStatusBlock)) return StepEnd::kStay;
    uint8_t statusBlock[kStatusBlockBytes];
    if (!ReadDeviceData(kReadStatusBlock, 0xFFFF, kStatusBlockBytes, 0, statusBlock)) return StepEnd::kFailed;
    return Enter(kPrepFilm);
}

// 115: the film information, once ready.
StepEnd ReadFilmInformation() {
    uint8_t preparation = 0;
    if (!Status(nullptr, &preparation)) return StepEnd::kFailed;
    if (const StepEnd check = BothChecks(); check != StepEnd::kStay) return check;
    if (!(preparation & kPrepFilmInfo)) return StepEnd::kStay;
    if (!ReadDeviceData(kReadFilmInfo, 0xFFFF, kFilmInformationBytes, 0, filmBuffer)) return StepEnd::kFailed;
    // A block whose frame count is not 1..40 describes no cartridge: a reply that cannot be used.
    if (!UnpackFilmInformation(filmBuffer)) {
        RefuseReply();
        return StepEnd::kFailed;
    }
    return Enter(kPrepFinish);
}

}  // namespace

StepEnd RunPreparationStep(const WakeTiming& timing) {
    switch (prepState) {
        case kPrepWake:
            return WakeScanner(timing);
        case kPrepCalibrating:
            return AwaitCalibration();
        case kPrepLoadShading:
            return LoadShading();
        case kPrepCartridge:
            return AwaitCartridge();
        case kPrepStatus:
            return ReadStatusBlock();
        case kPrepFilm:
            return ReadFilmInformation();
        case kPrepFinish:
            ComputeStartingExposures();
            return StepEnd::kAdvanced;
    }
    prepState = kPrepWake;  // not a state of the machine: start over
    return StepEnd::kStay;
}

}  // namespace lx9
