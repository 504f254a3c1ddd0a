#pragma once
// Faults on demand: rules that spoil the device's answer to chosen commands.
//
// A rule reads: KIND [ARGS] [code C] [times N | always] [after K]
//   silence            no reply; the command is not carried out
//   echo [CODE]        the reply echoes another code (default: the code with bit 0 flipped)
//   checksum           the reply's checksum is off by one
//   start [BYTE]       the reply starts with another byte (default 0x02)
//   trickle [MS]       the reply goes out one byte every MS milliseconds (default 50)
//   delay MS           the reply goes out after MS milliseconds
//   cut N              only the first N bytes of the reply go out
//   long [N]           N more data bytes (default 8) than the command carries, framed correctly
//   status ST [SENSE] [keep]  status ST (SENSE waiting for REQUEST SENSE); the command is not carried
//                      out, unless "keep": then it is, and its data go out with the status
//   refuse [MS]        status 0x70 with sense byte 1 (busy for MS, default 0) for every matching
//                      command except TEST UNIT READY and REQUEST SENSE, until a REQUEST SENSE 0x0070
// "code" takes a number or a name (tur, sense, inquiry, scan, window, read, c1); by default every
// command matches. A rule applies to the next N matching commands (default 1) after skipping K.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lx9emu {

enum class FaultKind { Silence, Echo, Checksum, Start, Trickle, Delay, Cut, Long, Status, Refuse };

struct FaultRule {
    FaultKind kind = FaultKind::Silence;
    uint32_t value = 0;  // echo code, start byte, milliseconds, byte count or status
    uint8_t senseByte = 0;
    bool keep = false;
    std::optional<uint16_t> code;
    uint32_t times = 1;
    bool always = false;
    uint32_t skip = 0;
    bool fired = false;  // refuse: has refused at least once
    std::string text;    // as given, for listing
};

// Parses the words of a rule; false with the reason when they do not make one.
bool parseFaultRule(const std::vector<std::string>& words, FaultRule* rule, std::string* why);

class FaultPlan {
  public:
    // More rules than any test needs at once: a client that keeps adding them gets a refusal instead of an
    // ever longer plan to walk for each command.
    static constexpr size_t kMaxRules = 1000;

    // False (nothing added) when the plan already holds kMaxRules rules.
    bool add(FaultRule rule) {
        if (rules_.size() >= kMaxRules) return false;
        rules_.push_back(std::move(rule));
        return true;
    }
    void clear() { rules_.clear(); }
    // The rule that takes this command (the first that matches, used up by it), if any.
    std::optional<FaultRule> take(uint16_t code);
    // A REQUEST SENSE 0x0070 arrived: refusals that have fired are over.
    void senseRequested();
    std::vector<std::string> list() const;

  private:
    std::vector<FaultRule> rules_;
};

}  // namespace lx9emu
