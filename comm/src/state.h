// The library's process-wide state: the port, the exact-read mode and the last error.
#pragma once

#include <cstdint>

#include "port.h"

namespace lx9comm {

// Last-error values (RT1_GetError); 1 to 255 are the device's own status bytes.
inline constexpr int16_t kErrNone = 0;
inline constexpr int16_t kErrFraming = 127;
inline constexpr int16_t kErrChecksum = 257;
inline constexpr int16_t kErrEcho = 258;
inline constexpr int16_t kErrPortOpen = 260;
inline constexpr int16_t kErrMemory = 261;
inline constexpr int16_t kErrTransport = -1;

struct LinkState {
    int16_t lastError = kErrNone;
    bool exactRead = false;  // every read must deliver exactly the count asked for
    // The time-out set in force on the open port, so that an unchanged set is not applied again (each
    // SetCommTimeouts is a round trip to the port driver); null when unknown.
    const TimeoutSet* timeoutsInForce = nullptr;
    Port* port = &PlatformPort();
    Clock* clock = &PlatformClock();
    Memory* memory = &PlatformMemory();
};

LinkState& State();

}  // namespace lx9comm
