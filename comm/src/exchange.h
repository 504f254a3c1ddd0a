// One framed command/reply exchange, and the recovery that resynchronises before repeating it.
#pragma once

#include <cstdint>

namespace lx9comm {

// Resynchronisation probe: TEST UNIT READY with no payload, and the start of its expected 21-byte reply.
inline constexpr uint8_t kProbeFrame[8] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xFD};
inline constexpr uint8_t kProbeReplyPrefix[8] = {0x01, 0x00, 0x00, 0x00, 0x0D, 0x02, 0x00, 0x00};
inline constexpr uint32_t kProbeReplyLength = 21;
inline constexpr int kRecoveryPasses = 20;
inline constexpr int kRecoveryCommandTries = 2;
inline constexpr int kRecoveryReopenPass = 5;  // the sixth pass closes and re-opens the port
// No pass starts once the recovery has run this long: a scanner that has gone silent costs about a second and
// a half per probe, and twenty of them would freeze the application for half a minute. The sixth pass (the
// re-open) still starts for such a scanner. Nor does a second repetition start that would, as long as the
// first took, end past it (a reply that stalls each time costs the long set's five seconds).
inline constexpr uint32_t kRecoveryBudgetMs = 7000;

inline constexpr uint32_t kReplyHeader = 7;       // start byte, body length, echoed code
inline constexpr uint32_t kPostWriteDelayMs = 4;  // gives the device time to start its reply

// 1 when the reply arrived intact with status 0; otherwise 0 and the reason in the last error.
int32_t Exchange(const void* payload, void* reply, int32_t length, int32_t commandIndex);
// Probes until the device answers, then repeats the exchange; 1 when a repetition succeeded.
int32_t Recover(const void* payload, void* reply, int32_t length, int32_t commandIndex);

}  // namespace lx9comm
