// The port seam: the few raw operations the link needs from a platform. Everything above it (pieces,
// retries, time-out choice, framing) is shared by the Win32 and POSIX builds.
#pragma once

#include <cstdint>

#include "timeouts.h"

namespace lx9comm {

class Port {
  public:
    virtual ~Port() = default;
    // Opens the scanner's port for this process alone; false when it is missing or held by someone else.
    virtual bool Open() = 0;
    // Closes it; false when nothing was open or the platform refused.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    // Applies a time-out set to the open port; false when not open or refused.
    virtual bool SetTimeouts(const TimeoutSet& set) = 0;
    // One platform write of up to n bytes; *done gets the count written (less than n after a time-out).
    // False only when the platform call fails.
    virtual bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) = 0;
    // One platform read of up to n bytes under the current time-outs; *done gets the count read
    // (0 when the device stayed silent). False only when the platform call fails.
    virtual bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) = 0;
};

// Waiting and the time, behind a seam so that tests of retries need not wait.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Milliseconds on a clock that never goes back (it may wrap; only differences are used).
    virtual uint32_t NowMs() = 0;
};

// Frame buffers: movable global memory on Win32. Allocate returns a usable pointer or null.
class Memory {
  public:
    virtual ~Memory() = default;
    virtual void* Allocate(uint32_t size) = 0;
    virtual void Release(void* block) = 0;
};

// The platform's own implementations (one set per build).
Port& PlatformPort();
Clock& PlatformClock();
Memory& PlatformMemory();

}  // namespace lx9comm
