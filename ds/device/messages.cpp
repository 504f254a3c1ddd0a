#include "device/messages.h"

#include "device/message_texts.h"

namespace lx9 {

const char* MsgScanRange;
const char* MsgCommError;
const char* MsgNotConnected;
const char* MsgHardwareError;
const char* MsgPortOpen;
const char* MsgMemory;
const char* MsgDeviceId;
const char* MsgStandbyOff;
const char* MsgCartridge;
const char* MsgStandbyOnFailed;
const char* MsgErrorCode;
const char* MsgNoFrame;
const char* MsgPreviewFirst;
const char* MsgOneFrame;
const char* MsgEject;
const char* CaptionConfirm;
const char* CaptionError;

namespace {

void Use(const MessageSet& set) {
    MsgScanRange = set.scanRange;
    MsgCommError = set.commError;
    MsgNotConnected = set.notConnected;
    MsgHardwareError = set.hardwareError;
    MsgPortOpen = set.portOpen;
    MsgMemory = set.memory;
    MsgDeviceId = set.deviceId;
    MsgStandbyOff = set.standbyOff;
    MsgCartridge = set.cartridge;
    MsgStandbyOnFailed = set.standbyOnFailed;
    MsgErrorCode = set.errorCode;
    MsgNoFrame = set.noFrame;
    MsgPreviewFirst = set.previewFirst;
    MsgOneFrame = set.oneFrame;
    MsgEject = set.eject;
    CaptionConfirm = set.captionConfirm;
    CaptionError = set.captionError;
}

// A report can come before the first start-up has chosen a language: it is then English.
const bool englishAtLoad = (Use(messageSets[0]), true);

}  // namespace

void UseMessages(int language) {
    const int set = (language == 1 || language == 2) ? language : 0;
    Use(messageSets[set]);
}

}  // namespace lx9
