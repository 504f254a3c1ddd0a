// Stand-ins for the port seam: a port whose every call is recorded and answered by the test, a clock
// that only writes down how long it was asked to sleep, and memory that can refuse.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "port.h"
#include "state.h"

namespace lx9test {

using lx9comm::TimeoutSet;

struct PortCall {
    char op;        // 'r' read, 'w' write
    uint32_t size;  // bytes asked for
    uint32_t done;  // bytes moved
    TimeoutSet set;
};

class FakePort final : public lx9comm::Port {
  public:
    // Each answers one platform call: fills *done and returns the platform's result.
    std::function<bool(uint8_t*, uint32_t, uint32_t*)> onRead = [](uint8_t*, uint32_t, uint32_t* d) {
        *d = 0;  // a silent device
        return true;
    };
    std::function<bool(const uint8_t*, uint32_t, uint32_t*)> onWrite = [](const uint8_t*, uint32_t n,
                                                                          uint32_t* d) {
        *d = n;
        return true;
    };
    std::function<bool()> onOpen = [] { return true; };

    std::vector<PortCall> calls;
    std::vector<uint8_t> written;
    int opens = 0;
    int closes = 0;
    int timeoutCalls = 0;

    bool Open() override {
        ++opens;
        open_ = onOpen();
        return open_;
    }
    bool Close() override {
        ++closes;
        const bool was = open_;
        open_ = false;
        return was;
    }
    bool IsOpen() const override { return open_; }
    bool SetTimeouts(const TimeoutSet& set) override {
        ++timeoutCalls;
        set_ = set;
        return open_;
    }
    bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) override {
        const bool ok = onWrite(bytes, n, done);
        written.insert(written.end(), bytes, bytes + (ok ? *done : 0));
        calls.push_back({'w', n, *done, set_});
        return ok;
    }
    bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) override {
        const bool ok = onRead(bytes, n, done);
        calls.push_back({'r', n, *done, set_});
        return ok;
    }
    std::vector<PortCall> Reads() const {
        std::vector<PortCall> r;
        for (const auto& c : calls)
            if (c.op == 'r') r.push_back(c);
        return r;
    }

  private:
    bool open_ = false;
    TimeoutSet set_{};
};

class FakeClock final : public lx9comm::Clock {
  public:
    std::vector<uint32_t> sleeps;
    uint32_t now = 0;  // advanced by the sleeps and by what a test lets pass
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    uint32_t NowMs() override { return now; }
};

// Heap memory that refuses the allocation numbered failAt (1 = the first) and records every size asked.
class CountingMemory final : public lx9comm::Memory {
  public:
    int failAt = 0;
    std::vector<uint32_t> sizes;
    void* Allocate(uint32_t size) override {
        sizes.push_back(size);
        if (static_cast<int>(sizes.size()) == failAt) return nullptr;
        return real_.Allocate(size);
    }
    void Release(void* block) override { real_.Release(block); }

  private:
    lx9comm::Memory& real_ = lx9comm::PlatformMemory();
};

// Puts stand-ins into the library for one test and restores the library afterwards.
class SeamSwap {
  public:
    SeamSwap(lx9comm::Port* port, lx9comm::Clock* clock, lx9comm::Memory* memory) : saved_(lx9comm::State()) {
        auto& s = lx9comm::State();
        if (port != nullptr) s.port = port;
        s.timeoutsInForce = nullptr;
        if (clock != nullptr) s.clock = clock;
        if (memory != nullptr) s.memory = memory;
        s.exactRead = false;
        s.lastError = 0;
    }
    ~SeamSwap() { lx9comm::State() = saved_; }
    SeamSwap(const SeamSwap&) = delete;
    SeamSwap& operator=(const SeamSwap&) = delete;

  private:
    lx9comm::LinkState saved_;
};

}  // namespace lx9test
