// Starts lx9emu (path in LX9EMU) on a link of its own for one test and stops it afterwards.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace lx9test {

class EmulatorProcess {
  public:
    explicit EmulatorProcess(const std::vector<std::string>& extraArgs = {});
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& link() const { return link_; }

  private:
    pid_t pid_ = -1;
    std::string link_;
};

}  // namespace lx9test
