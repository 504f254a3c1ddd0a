// lx9emu (path in LX9EMU) on a link and a command log of its own, with fast timing and the standby switch
// on, for the tests of the scanner core. Stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace lx9coretest {

class Emulator {
  public:
    explicit Emulator(const std::vector<std::string>& options = {});
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    bool Running() const { return pid_ > 0; }
    const std::string& Link() const { return link_; }

    // The command log's "cmd CODE ..." lines, the code as 4 hex digits, from the mark on.
    std::vector<std::string> Commands() const;
    void Mark();

  private:
    std::vector<std::string> AllCommands() const;

    pid_t pid_ = -1;
    std::string link_;
    std::string log_;
    size_t mark_ = 0;
};

// The codes of a command list, in order ("0200", "0428", ...).
std::vector<std::string> Codes(const std::vector<std::string>& commands);

}  // namespace lx9coretest
