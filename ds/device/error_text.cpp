// Which message a failure gets: the port library's last error first, the start-up flags when it is 0.
#include <cstdio>

#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"

namespace lx9 {

namespace {

constexpr uint16_t kHardwareError = 113;

const char* FlagText() {
    if (memoryFailed) return MsgMemory;
    if (idMismatch) return MsgDeviceId;
    if (standbyOff) return MsgStandbyOff;
    if (cartridgeFailed) return MsgCartridge;
    if (standbyOnFailed) return MsgStandbyOnFailed;
    return MsgErrorCode;
}

// At most room - 1 bytes of from, always terminated.
void CopyText(char* text, const char* from, size_t room) {
    size_t n = 0;
    for (; n + 1 < room && from[n] != '\0'; ++n) text[n] = from[n];
    text[n] = '\0';
}

const char* PlainText(uint16_t lastError) {
    switch (lastError) {
        case 0:
            return FlagText();
        case 112:
        case 126:
        case 127:
        case 257:
        case 258:
        case 259:
            return MsgCommError;
        case 260:
            return MsgPortOpen;
        case 261:
            return MsgMemory;
        case 65535:
            return MsgNotConnected;
        default:
            return MsgErrorCode;
    }
}

}  // namespace

void DeviceErrorText(uint16_t lastError, char* text, size_t size) {
    if (text == nullptr || size == 0) return;
    const size_t room = size < kErrorTextSize ? size : kErrorTextSize;
    if (lastError != kHardwareError) {
        CopyText(text, PlainText(lastError), room);
        return;
    }
    uint8_t sense = 0;
    if (!RequestSense(0x0071, &sense)) {
        const auto now = static_cast<uint16_t>(DeviceLastError());
        // The sense request itself failed for another reason: that reason is reported instead, once.
        if (now != kHardwareError) {
            CopyText(text, PlainText(now), room);
            return;
        }
    }
    // The format's "%2x" gives what wsprintfA gives for a byte: a space and one digit below 0x10.
    char formatted[kErrorTextSize];
    std::snprintf(formatted, sizeof formatted, MsgHardwareError, static_cast<unsigned>(sense));
    CopyText(text, formatted, room);
}

}  // namespace lx9
