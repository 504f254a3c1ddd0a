// For tests that talk to lx9emu through LPT1: its command log (LX9_EMU_LOG, read through drive Z:) and the
// start-up steps a test needs before it can scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lx9test {

// "cmd CODE PAYLOAD status SS data N ..." or "cmd CODE PAYLOAD silent ..." of the emulator's log.
struct LogLine {
    std::string code;     // 4 hex digits, lower case
    std::string payload;  // hex, lower case; "-" when empty
    std::string status;   // 2 hex digits; empty when the device stayed silent
    size_t dataBytes = 0;
    std::string text;  // the whole line
};

class EmulatorLog {
  public:
    EmulatorLog();
    bool Available() const { return !path_.empty(); }
    void Mark();                         // later calls of Since() see only what follows
    std::vector<LogLine> Since() const;  // commands logged since the mark

  private:
    std::vector<LogLine> Read() const;
    std::string path_;
    size_t mark_ = 0;
};

// Bytes as the log writes them.
std::string Hex(const uint8_t* bytes, size_t count);

// Polls TEST UNIT READY (every 20 ms, at most timeoutMs) until the device is idle.
bool WaitUntilIdle(unsigned timeoutMs = 20000);
// Polls until the preparation flag bit is set.
bool WaitForPreparation(uint8_t bit, unsigned timeoutMs = 20000);

// Start-up as far as scanning needs it: the port, identification, standby on, shading tables, the film
// information and the starting exposures for filmType. Failures are reported as gtest failures.
void PrepareScanner();

}  // namespace lx9test
