#pragma once
// One conversation with the host: bytes in, framed replies out, with faults applied and every frame
// logged. No I/O: the server feeds it bytes and the time, and sends what it returns.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "command_log.h"
#include "device.h"
#include "faults.h"
#include "frame_parser.h"

namespace lx9emu {

// A reply frame to send, with how to send it.
struct Outgoing {
    std::vector<uint8_t> bytes;
    uint32_t delayMs = 0;         // wait before the first byte
    uint32_t byteIntervalMs = 0;  // wait between bytes (a trickle); 0: at the wire's rate
};

class Session {
  public:
    // A frame that stops arriving for this long is dropped; after a too-long header the input is
    // discarded until the line has been quiet for kQuietGap.
    static constexpr std::chrono::milliseconds kFrameTimeout{1000};
    static constexpr std::chrono::milliseconds kQuietGap{50};

    Session(Device& device, FaultPlan& faults, CommandLog& log)
        : device_(device), faults_(faults), log_(log) {}

    // Drops reply bytes the host has not read and returns their count. Called when the host starts to
    // send and before each reply is queued: a host that sends has given up on them.
    void setDropUnread(std::function<size_t()> dropUnread) { dropUnread_ = std::move(dropUnread); }

    void receive(std::span<const uint8_t> bytes, TimePoint now, std::vector<Outgoing>& out);
    void tick(TimePoint now);                   // time-outs of incomplete frames and of discarding
    std::optional<TimePoint> deadline() const;  // when tick has something to do

  private:
    void handleCommand(const ParsedFrame& frame, TimePoint now, std::vector<Outgoing>& out);
    void dropStale(std::vector<Outgoing>* out);
    void handleEvent(const ParsedFrame& frame, TimePoint now, std::vector<Outgoing>& out);

    Device& device_;
    FaultPlan& faults_;
    CommandLog& log_;
    FrameParser parser_;
    TimePoint lastByte_{};
    std::function<size_t()> dropUnread_;
};

}  // namespace lx9emu
