#pragma once
// The control channel's commands: one line in, answer lines out, the last being "ok" or "error ...".
//
//   ping | state | quit
//   standby on|off|stuck            restart [off]              busy MS
//   cartridge remove | insert [FRAMES] [negative|positive] | change [FRAMES] [FILM] | unusable
//   sense 0x70|0x71 BYTE            leave a sense byte waiting
//   fault RULE                      add a fault rule (faults.h)    faults [clear]
//   log [clear]                     the command log lines, or clear them
//   id TEXT | exact on|off | buffer-size N | timing [NAME MS]
#include <string>
#include <vector>

#include "command_log.h"
#include "device.h"
#include "faults.h"

namespace lx9emu {

class Control {
  public:
    Control(Device& device, FaultPlan& faults, CommandLog& log)
        : device_(device), faults_(faults), log_(log) {}

    std::vector<std::string> run(const std::string& line, TimePoint now);
    bool quitRequested() const { return quit_; }

  private:
    std::vector<std::string> cartridge(const std::vector<std::string>& words, TimePoint now);

    Device& device_;
    FaultPlan& faults_;
    CommandLog& log_;
    bool quit_ = false;
};

}  // namespace lx9emu
