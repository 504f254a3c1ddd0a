// TEST UNIT READY, REQUEST SENSE, INQUIRY and the recovery after a refusal with sense data waiting.
#include <cstring>

#include "device/command_tables.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/exchange.h"
#include "lx9comm.h"

namespace lx9 {

namespace {

constexpr size_t kStatusReplyBytes = 12;
constexpr size_t kInquiryReplyBytes = 72;
constexpr int16_t kSenseWaiting = 0x70;

int recoverPolls = kRecoverPolls;
unsigned recoverPollDelayMs = kRecoverPollDelayMs;

uint16_t Big16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint32_t Big32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

}  // namespace

int32_t GetDeviceStatus(uint8_t* readyFlags, uint16_t* scanner, int16_t* cartridge,
                        uint8_t* preparationFlags) {
    uint8_t reply[kStatusReplyBytes] = {};
    if (!QueryExchange(nullptr, reply, 0, kCmdTestUnitReady)) return 0;
    if (readyFlags) *readyFlags = reply[0];
    if (scanner) *scanner = Big16(reply + 1);
    if (cartridge) *cartridge = static_cast<int16_t>(Big16(reply + 3));
    if (preparationFlags) *preparationFlags = reply[7];
    return 1;
}

int32_t RequestSense(uint16_t code, uint8_t* senseByte) {
    const uint8_t payload[2] = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
    uint8_t reply[1] = {0};
    const int32_t ok = QueryExchange(payload, reply, sizeof payload, kCmdRequestSense);
    // A refusal still carries the device's sense byte; the error report formats it.
    if (senseByte) *senseByte = reply[0];
    return ok;
}

int32_t Inquire(char* idText, size_t idTextSize, uint32_t* bufferSize) {
    if (idText == nullptr || idTextSize < kIdTextSize) return 0;
    idText[0] = '\0';
    uint8_t reply[kInquiryReplyBytes] = {};
    if (!QueryExchange(nullptr, reply, 0, kCmdInquiry)) return 0;

    // N counts its own two bytes; the reply runs up to the exact-read byte at N + 12, all inside 72 bytes.
    const size_t n = Big16(reply + 3);
    if (n < 2 || n + 13 > kInquiryReplyBytes) {
        RefuseReply();
        return 0;
    }
    std::memcpy(idText, reply + 5, n - 2);
    idText[n - 2] = '\0';
    // A longer identification that begins with the expected one compares equal; a shorter one must match.
    idText[sizeof kExpectedDeviceId - 1] = '\0';
    if (bufferSize) *bufferSize = Big32(reply + n + 4);
    return 1;
}

int32_t RecoverFromSense() {
    if (RT1_GetError() != kSenseWaiting) return 0;
    uint8_t sense = 0;
    if (!RequestSense(0x0070, &sense) || sense != 1) return 0;
    for (int poll = 0; poll < recoverPolls; ++poll) {
        uint8_t ready = 0;
        if (!GetDeviceStatus(&ready, &scannerWord, &cartridgeWord, nullptr)) return 0;
        if (ready & kReadyIdle) return 1;
        WaitMs(recoverPollDelayMs);
    }
    return 0;  // still busy: the caller's recovery exchange follows
}

void SetRecoverPolling(int polls, unsigned delayMs) {
    recoverPolls = polls > 0 ? polls : kRecoverPolls;
    recoverPollDelayMs = polls > 0 ? delayMs : kRecoverPollDelayMs;
}

}  // namespace lx9
