#pragma once
// Splits the bytes the host sends into command frames, checking start byte, length and checksum.
#include <cstdint>
#include <span>
#include <vector>

namespace lx9emu {

struct ParsedFrame {
    enum class Kind {
        Command,      // a complete frame with a correct checksum
        BadChecksum,  // a complete frame whose bytes do not sum to 0
        BadLength,    // a header announcing more than kMaxPayload bytes; the parser now discards input
        Garbage,      // bytes that did not start a frame (count in `length`)
        Abandoned,    // an incomplete frame dropped by dropPartial (bytes received in `length`)
    };
    Kind kind = Kind::Command;
    uint16_t code = 0;
    uint32_t length = 0;  // payload length as announced (Garbage, Abandoned: byte count)
    std::vector<uint8_t> payload;
};

class FrameParser {
  public:
    // Consumes all of `bytes`, appending what they complete to `events`.
    void feed(std::span<const uint8_t> bytes, std::vector<ParsedFrame>& events);
    // True while a frame has begun and is not complete.
    bool midFrame() const { return !buffer_.empty(); }
    // Drops a frame that stopped arriving (the host gave up on it).
    void dropPartial(std::vector<ParsedFrame>& events);
    // After BadLength everything is discarded until the line has been quiet; then the caller ends it.
    bool discarding() const { return discarding_; }
    void endDiscarding() { discarding_ = false; }

  private:
    std::vector<uint8_t> buffer_;  // the frame begun so far, header included
    uint32_t garbage_ = 0;
    bool discarding_ = false;
    void flushGarbage(std::vector<ParsedFrame>& events);
};

}  // namespace lx9emu
