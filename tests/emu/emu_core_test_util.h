#pragma once
// Helpers for the emulator program's tests: payloads built the way the data source builds them, reply
// parsing, and (for the process tests) the real lx9emu on its pty with a control client.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/wire.h"
#include "model/scanner_model.h"

namespace lx9emu::test {

// One scanner model for all tests in the program: building one takes a while.
ScannerModel& sharedModel();

// SET WINDOW payload from the window mode table: mode 0 index, 1 standard, 2 extended.
std::vector<uint8_t> windowPayload(uint8_t mode, uint8_t film, uint8_t pass, uint8_t frame,
                                   const std::vector<uint16_t>& exposures, int32_t x, int32_t y,
                                   int32_t width, int32_t height);
std::vector<uint8_t> indexGroupWindow(uint8_t top, uint16_t exposure = 300);
std::vector<uint8_t> standardWindow(uint8_t frame, uint16_t exposure = 300);
std::vector<uint8_t> readPayload(uint8_t type, uint16_t qualifier, uint32_t count, uint32_t start);
std::vector<uint8_t> sensePayload(uint16_t which);
inline const std::vector<uint8_t> kScanPayload{0x01, 0x00};
inline const std::vector<uint8_t> kStandbyOn{0x00, 0x01, 0x80, 0x00};
inline const std::vector<uint8_t> kEject{0x00, 0x02, 0x00, 0x01};

struct ParsedReply {
    uint8_t start = 0;
    uint16_t code = 0;
    uint8_t status = 0;
    std::vector<uint8_t> data;
    bool checksumOk = false;
};
// Parses one whole reply frame; nothing when the bytes are not one (too short, length mismatch).
std::optional<ParsedReply> parseReply(std::span<const uint8_t> bytes);

// The real emulator program, started with --fast, a fresh link, control socket and log in a temp dir.
class EmulatorProcess {
  public:
    explicit EmulatorProcess(std::vector<std::string> extraArgs = {});
    ~EmulatorProcess();
    bool running() const { return pid_ > 0; }
    int stop(int signal);  // exit status (or 128 + signal)
    const std::string& link() const { return link_; }
    const std::string& control() const { return control_; }
    const std::string& logPath() const { return log_; }
    const std::string& dir() const { return dir_; }

  private:
    pid_t pid_ = -1;
    std::string dir_, link_, control_, log_;
};

// The host end: opens the link like a port, sends frames, reads with a deadline.
class HostPort {
  public:
    explicit HostPort(const std::string& path);
    ~HostPort();
    bool isOpen() const { return fd_ >= 0; }
    void send(std::span<const uint8_t> bytes);
    // Reads up to `count` bytes, waiting at most `timeout` in all.
    std::vector<uint8_t> read(size_t count, std::chrono::milliseconds timeout);
    // One framed exchange; nothing when the reply does not arrive whole within the time-out.
    std::optional<ParsedReply> exchange(uint16_t code, std::span<const uint8_t> payload = {},
                                        std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

  private:
    int fd_ = -1;
};

// A control-channel client: one line out, the answer lines back (ending with "ok" or "error ...").
class ControlClient {
  public:
    explicit ControlClient(const std::string& path);
    ~ControlClient();
    std::vector<std::string> run(const std::string& line);
    bool ok(const std::string& line);  // the command answered "ok"

  private:
    int fd_ = -1;
    std::string pending_;
};

}  // namespace lx9emu::test
