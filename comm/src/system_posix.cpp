// Waiting and frame buffers for the POSIX build.
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "port.h"

namespace lx9comm {
namespace {

class PosixClock final : public Clock {
  public:
    void Sleep(uint32_t milliseconds) override {
        timespec left{static_cast<time_t>(milliseconds / 1000),
                      static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
    uint32_t NowMs() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
    }
};

class HeapMemory final : public Memory {
  public:
    void* Allocate(uint32_t size) override { return std::malloc(size == 0 ? 1 : size); }
    void Release(void* block) override { std::free(block); }
};

}  // namespace

Clock& PlatformClock() {
    static PosixClock clock;
    return clock;
}

Memory& PlatformMemory() {
    static HeapMemory memory;
    return memory;
}

}  // namespace lx9comm
