#include "command_table.h"

#include <algorithm>

#include "wire.h"

namespace lx9comm {
namespace {

// Low byte: the SCSI-2 operation code of the command of the same name.
constexpr uint16_t kCodes[kCommandCount] = {
    0x0000,                                                // 0 (none)
    0x0200, 0x0203, 0x0312,                                // 1 TEST UNIT READY, REQUEST SENSE, INQUIRY
    0x053B, 0x053C, 0x064C, 0x064D,                        // 4 WRITE/READ BUFFER, LOG SELECT/SENSE
    0,      0,      0,      0,      0,      0,      0, 0,  // 8-15
    0x031B, 0x0424, 0x0425, 0x0534, 0x0428, 0x042A,        // 16 SCAN ... 21 SEND
    0x0EC0, 0x0EC1, 0x0ECF,                                // 22-24 vendor C0, C1, CF
    0,      0,      0,      0,      0,      0,      0,     // 25-31
};

uint32_t ReadLimit(const uint8_t* payload, uint32_t payloadLength) {
    if (payload == nullptr || payloadLength < 8) return 0;  // no count, no data expected
    const uint64_t count = GetBE32(payload + 4);
    const bool indexImages = payload[0] == 0x00 && GetBE16(payload + 2) == 1;
    const uint64_t limit = indexImages ? count * kIndexImageBytes : count;
    return static_cast<uint32_t>(std::min<uint64_t>(limit, kMaxReplyData));
}

}  // namespace

std::optional<uint16_t> CommandCode(uint16_t index) {
    if (index >= kCommandCount) return std::nullopt;
    return kCodes[index];
}

uint32_t ReplyDataLimit(uint16_t index, const uint8_t* payload, uint32_t payloadLength,
                        bool haveDestination) {
    if (!haveDestination) return 0;
    switch (index) {
        case kTestUnitReady:
            return 12;
        case kRequestSense:
            return 1;
        case kInquiry:
            return 72;
        case kScan:
        case kSetWindow:
        case kVendorC1:
            return 0;
        case kRead:
            return ReadLimit(payload, payloadLength);
        default:
            return kUnlistedReplyLimit;
    }
}

}  // namespace lx9comm
