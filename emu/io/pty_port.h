#pragma once
// The device end of the link: a pseudo-terminal whose slave, in raw mode, is what the host opens
// through a stable symbolic link. The emulator keeps a slave descriptor of its own open, so the master
// never sees a hang-up between the host's opens, and so it can discard reply bytes the host left unread.
#include <cstddef>
#include <string>

namespace lx9emu {

class PtyPort {
  public:
    PtyPort() = default;
    ~PtyPort() { close(); }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool open(std::string* why);                           // the pair, raw mode, master non-blocking
    bool link(const std::string& path, std::string* why);  // path -> /dev/pts/N (a stale link is replaced)
    void close();                                          // also removes the link if it is still ours

    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }
    size_t unreadBytes() const;  // reply bytes waiting in the slave's input queue
    void discardUnread();        // throws those bytes away

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::string linkPath_;
};

}  // namespace lx9emu
