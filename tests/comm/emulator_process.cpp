#include "emulator_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace lx9test {

EmulatorProcess::EmulatorProcess(const std::vector<std::string>& extraArgs) {
    const char* program = std::getenv("LX9EMU");
    if (program == nullptr || *program == '\0') return;
    link_ = "/tmp/lx9comm-emu-" + std::to_string(getpid());
    unlink(link_.c_str());
    std::vector<std::string> args = {program, "--link", link_, "--fast", "--standby", "on"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program, nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    // The emulator makes its link last, once it answers; building its scenes takes seconds.
    struct stat st {};
    for (int i = 0; i < 3000 && stat(link_.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    setenv("LX9_PORT", link_.c_str(), 1);
}

EmulatorProcess::~EmulatorProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    unlink(link_.c_str());
}

}  // namespace lx9test
