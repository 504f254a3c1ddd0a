#include "command_log.h"

#include <cerrno>
#include <cstring>

namespace lx9emu {

CommandLog::~CommandLog() {
    if (file_) std::fclose(file_);
}

bool CommandLog::openFile(const std::string& path, std::string* why) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        if (why) *why = path + ": " + std::strerror(errno);
        return false;
    }
    if (file_) std::fclose(file_);
    file_ = f;
    path_ = path;
    return true;
}

void CommandLog::add(std::string line) {
    if (file_) {
        std::fputs(line.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
    lines_.push_back(std::move(line));
    if (lines_.size() > kKeptLines) lines_.pop_front();
}

void CommandLog::clear() {
    lines_.clear();
    if (file_) {
        std::FILE* f = std::freopen(path_.c_str(), "w", file_);
        file_ = f;  // null if the file could not be reopened: logging to it ends
    }
}

}  // namespace lx9emu
