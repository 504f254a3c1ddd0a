// Progress of the buffered-memory transfer of the stored image; all three return to 0 when a transfer ends.
#pragma once

#include <cstdint>

namespace lx9 {

extern uint32_t stripBytesSent;  // bytes of the image already sent
extern bool stripDone;           // all rows sent: the next request ends the transfer
extern uint32_t stripCalls;      // requests since the image's transfer began

void ResetStripProgress();

}  // namespace lx9
