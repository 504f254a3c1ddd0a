#pragma once
// The record of every frame received, one line each: in memory for the control channel (the latest
// lines, bounded) and optionally in a file, flushed line by line.
//
//   cmd CODE PAYLOAD status SS data N [fault KIND] [why TEXT]   a command and the reply sent
//   cmd CODE PAYLOAD silent [fault KIND]                         a command left unanswered
//   bad checksum CODE PAYLOAD status 70 data 0                   a frame whose checksum was wrong
//   bad length CODE LENGTH                                       a header announcing too long a payload
//   bad garbage N | bad partial N | bad dropped N                bytes outside frames, an incomplete
//                                                                frame given up, reply bytes the host
//                                                                never read (it sent a new command)
// CODE is 4 hex digits, PAYLOAD hex or "-" when empty.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace lx9emu {

class CommandLog {
  public:
    CommandLog() = default;
    ~CommandLog();
    CommandLog(const CommandLog&) = delete;
    CommandLog& operator=(const CommandLog&) = delete;

    bool openFile(const std::string& path, std::string* why);
    void add(std::string line);
    std::vector<std::string> lines() const { return {lines_.begin(), lines_.end()}; }
    void clear();  // the memory copy, and the file is truncated

    static constexpr size_t kKeptLines = 20000;

  private:
    std::deque<std::string> lines_;
    std::FILE* file_ = nullptr;
    std::string path_;
};

}  // namespace lx9emu
