#include "emulator.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

extern char** environ;

namespace lx9coretest {

namespace {

std::atomic<int> serial{0};

}  // namespace

Emulator::Emulator(const std::vector<std::string>& options) {
    const char* program = std::getenv("LX9EMU");
    if (program == nullptr || *program == '\0') return;
    const std::string base = "/tmp/lx9core-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    link_ = base + ".link";
    log_ = base + ".log";
    unlink(link_.c_str());
    unlink(log_.c_str());
    std::vector<std::string> args = {program, "--link", link_, "--log", log_, "--fast", "--standby", "on"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program, nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    // The link comes last, once the emulator answers (building its scenes takes a while).
    struct stat st {};
    for (int i = 0; i < 6000 && stat(link_.c_str(), &st) != 0; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Emulator::~Emulator() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    unlink(link_.c_str());
    unlink(log_.c_str());
}

std::vector<std::string> Emulator::AllCommands() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("cmd ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Emulator::Commands() const {
    std::vector<std::string> all = AllCommands();
    if (mark_ >= all.size()) return {};
    return std::vector<std::string>(all.begin() + static_cast<long>(mark_), all.end());
}

void Emulator::Mark() {
    mark_ = AllCommands().size();
}

std::vector<std::string> Codes(const std::vector<std::string>& commands) {
    std::vector<std::string> codes;
    for (const std::string& line : commands) codes.push_back(line.substr(4, 4));
    return codes;
}

}  // namespace lx9coretest
