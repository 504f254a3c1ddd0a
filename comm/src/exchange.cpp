#include "exchange.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "command_table.h"
#include "frame_buffer.h"
#include "state.h"
#include "transport.h"
#include "wire.h"

namespace lx9comm {
namespace {

// How much of a rejected reply to throw away when its length field cannot be trusted.
constexpr uint32_t kUnknownRemainder = 65536;

int32_t Fail(int16_t error) {
    State().lastError = error;
    return 0;
}

// Builds and sends 01, length, code, payload, checksum. Sets the last error when it fails.
bool SendCommand(uint16_t code, const uint8_t* payload, uint32_t length) {
    LinkState& s = State();
    const uint32_t total = length + 8;
    FrameBuffer frame(*s.memory, total);
    if (!frame) {
        s.lastError = kErrMemory;
        return false;
    }
    uint8_t* f = frame.data();
    f[0] = 0x01;
    PutBE32(length, f + 1);
    f[5] = static_cast<uint8_t>(code >> 8);
    f[6] = static_cast<uint8_t>(code);
    if (length != 0) std::memcpy(f + 7, payload, length);
    f[total - 1] = Checksum(f, total - 1);
    if (!PortWrite(total, f)) {
        s.lastError = kErrTransport;
        return false;
    }
    return true;
}

// The identify reply tells whether the device delivers every read in full (bit 7 of body byte N + 13,
// N being the identification length at body bytes 4-5). A reply too short to say so means no.
void UpdateExactRead(const uint8_t* body, uint32_t bodyLength) {
    bool exact = false;
    const uint32_t dataEnd = bodyLength - 1;  // the last body byte is the checksum
    if (dataEnd > 5) {
        const uint32_t at = GetBE16(body + 4) + 13u;
        exact = at < dataEnd && (body[at] & 0x80) != 0;
    }
    State().exactRead = exact;
}

}  // namespace

int32_t Exchange(const void* payloadArg, void* reply, int32_t length, int32_t commandIndex) {
    LinkState& s = State();
    s.lastError = kErrNone;
    const auto* payload = static_cast<const uint8_t*>(payloadArg);
    const auto index = static_cast<uint16_t>(commandIndex);
    const std::optional<uint16_t> code = CommandCode(index);
    // Refused before anything is sent: an index past the table, or a payload that is not there.
    if (!code || length < 0 || (length > 0 && payload == nullptr)) return Fail(kErrTransport);
    const auto payloadLength = static_cast<uint32_t>(length);
    const uint32_t replyLimit = ReplyDataLimit(index, payload, payloadLength, reply != nullptr);

    if (!SendCommand(*code, payload, payloadLength)) return 0;
    s.clock->Sleep(kPostWriteDelayMs);

    uint8_t header[kReplyHeader];
    if (!PortRead(kReplyHeader, header)) return Fail(kErrTransport);
    if (header[0] != 0x01) {
        PortDiscard(kUnknownRemainder);
        return Fail(kErrFraming);
    }
    const uint32_t bodyLength = GetBE32(header + 1);  // status byte and reply data
    const bool lengthPlausible = bodyLength != 0 && bodyLength <= kMaxReplyData;
    const uint32_t remainder = lengthPlausible ? bodyLength + 1 : kUnknownRemainder;
    if (GetBE16(header + 5) != *code) {
        PortDiscard(remainder);
        return Fail(kErrEcho);
    }
    // No status byte, or more data than the caller's buffer holds: the frame is not this command's reply.
    if (!lengthPlausible || bodyLength - 1 > replyLimit) {
        PortDiscard(remainder);
        return Fail(kErrFraming);
    }

    FrameBuffer body(*s.memory, bodyLength + 1);
    if (!body) {
        PortDiscard(remainder);
        return Fail(kErrMemory);
    }
    if (!PortRead(bodyLength + 1, body.data())) return Fail(kErrTransport);
    if (Sum8(body.data(), bodyLength + 1, Sum8(header, kReplyHeader)) != 0) return Fail(kErrChecksum);
    if (index == kInquiry) UpdateExactRead(body.data(), bodyLength + 1);
    if (bodyLength > 1) std::memcpy(reply, body.data() + 1, bodyLength - 1);
    const uint8_t status = body.data()[0];
    s.lastError = status;
    return status == 0 ? 1 : 0;
}

int32_t Recover(const void* payload, void* reply, int32_t length, int32_t commandIndex) {
    LinkState& s = State();
    const uint32_t started = s.clock->NowMs();
    int commandTries = 0;
    uint32_t firstRepeatMs = 0;
    for (int pass = 0; pass < kRecoveryPasses && commandTries < kRecoveryCommandTries; ++pass) {
        if (pass != 0 && s.clock->NowMs() - started >= kRecoveryBudgetMs) break;
        uint8_t answer[kProbeReplyLength];
        if (PortWrite(sizeof kProbeFrame, kProbeFrame) && PortRead(kProbeReplyLength, answer) &&
            std::memcmp(answer, kProbeReplyPrefix, sizeof kProbeReplyPrefix) == 0 &&
            Sum8(answer, kProbeReplyLength) == 0) {
            const uint32_t now = s.clock->NowMs();
            if (commandTries == 1 && now - started + firstRepeatMs > kRecoveryBudgetMs) break;
            ++commandTries;
            if (Exchange(payload, reply, length, commandIndex) == 1) return 1;
            if (commandTries == 1) firstRepeatMs = s.clock->NowMs() - now;
        }
        if (pass == kRecoveryReopenPass && !PortReopen()) break;
    }
    return 0;
}

}  // namespace lx9comm
