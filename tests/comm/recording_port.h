// Wraps the real port and notes every read and write with its size, count and steady-clock times.
#pragma once

#include <chrono>
#include <vector>

#include "port.h"

namespace lx9test {

struct TimedCall {
    char op;
    uint32_t size;
    uint32_t done;
    lx9comm::TimeoutSet set;
    std::chrono::steady_clock::time_point start, end;
    double Millis() const { return std::chrono::duration<double, std::milli>(end - start).count(); }
};

class RecordingPort final : public lx9comm::Port {
  public:
    explicit RecordingPort(lx9comm::Port& real) : real_(real) {}
    std::vector<TimedCall> calls;

    bool Open() override { return real_.Open(); }
    bool Close() override { return real_.Close(); }
    bool IsOpen() const override { return real_.IsOpen(); }
    bool SetTimeouts(const lx9comm::TimeoutSet& set) override {
        set_ = set;
        return real_.SetTimeouts(set);
    }
    bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) override {
        return Note('w', n, done, [&] { return real_.Write(bytes, n, done); });
    }
    bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) override {
        return Note('r', n, done, [&] { return real_.Read(bytes, n, done); });
    }
    std::vector<TimedCall> Only(char op) const {
        std::vector<TimedCall> r;
        for (const auto& c : calls)
            if (c.op == op) r.push_back(c);
        return r;
    }

  private:
    template <typename F>
    bool Note(char op, uint32_t n, uint32_t* done, F call) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = call();
        calls.push_back({op, n, *done, set_, start, std::chrono::steady_clock::now()});
        return ok;
    }
    lx9comm::Port& real_;
    lx9comm::TimeoutSet set_{};
};

}  // namespace lx9test
