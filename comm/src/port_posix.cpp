// The port for POSIX builds: the device node named by LX9_PORT (default /tmp/lx9-lpt1, normally the
// emulator's pseudo-terminal link), taken exclusively, with reads and writes that keep the Win32
// time-out meaning: a read ends when all bytes came, when the gap after a byte exceeds the interval, or
// when multiplier x bytes asked + constant milliseconds have passed.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "port.h"

namespace lx9comm {
namespace {

constexpr const char* kDefaultPath = "/tmp/lx9-lpt1";

using SteadyClock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

int MillisUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<Millis>(deadline - SteadyClock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

class PosixPort final : public Port {
  public:
    ~PosixPort() override { Close(); }

    bool Open() override {
        const char* path = std::getenv("LX9_PORT");
        if (path == nullptr || *path == '\0') path = kDefaultPath;
        const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        // TIOCEXCL keeps out other users; root passes it, so the lock is what stops a second open.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        if (::isatty(fd)) {
            termios tio{};
            if (::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &tio) != 0) {
                ::close(fd);
                return false;
            }
            ::cfmakeraw(&tio);
            tio.c_cflag |= CLOCAL | CREAD;
            // With VMIN 0 a non-blocking read of an empty terminal returns 0, which looks like a hang-up.
            tio.c_cc[VMIN] = 1;
            tio.c_cc[VTIME] = 0;
            ::tcsetattr(fd, TCSANOW, &tio);
            tty_ = true;
        }
        fd_ = fd;
        return true;
    }

    bool Close() override {
        if (fd_ < 0) return false;
        // The exclusive flag belongs to the terminal, not to our descriptor: leave it as we found it.
        if (tty_) ::ioctl(fd_, TIOCNXCL);
        const int rc = ::close(fd_);
        fd_ = -1;
        tty_ = false;
        return rc == 0;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    bool SetTimeouts(const TimeoutSet& set) override {
        if (fd_ < 0) return false;
        timeouts_ = set;
        return true;
    }

    bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) override {
        *done = 0;
        if (fd_ < 0) return false;
        const auto deadline =
            SteadyClock::now() +
            Millis(static_cast<uint64_t>(timeouts_.writeTotalMultiplier) * n + timeouts_.writeTotalConstant);
        while (*done < n) {
            const ssize_t w = ::write(fd_, bytes + *done, n - *done);
            if (w > 0) {
                *done += static_cast<uint32_t>(w);
                continue;
            }
            if (w < 0 && errno == EINTR) continue;
            if (w < 0 && errno != EAGAIN) return *done != 0;
            const int wait = MillisUntil(deadline);
            if (wait == 0) break;
            pollfd p{fd_, POLLOUT, 0};
            const int rc = ::poll(&p, 1, wait);
            if (rc < 0 && errno != EINTR) return *done != 0;
            if (rc > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return *done != 0;
        }
        return true;
    }

    bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) override {
        *done = 0;
        if (fd_ < 0) return false;
        const auto start = SteadyClock::now();
        const auto deadline = start + Millis(static_cast<uint64_t>(timeouts_.readTotalMultiplier) * n +
                                             timeouts_.readTotalConstant);
        SteadyClock::time_point lastByte{};
        while (*done < n) {
            const ssize_t r = ::read(fd_, bytes + *done, n - *done);
            if (r > 0) {
                *done += static_cast<uint32_t>(r);
                lastByte = SteadyClock::now();
                continue;
            }
            if (r < 0 && errno == EINTR) continue;
            // End of file or an error (EIO once the device side has gone): the read fails unless it has
            // bytes.
            if (r == 0 || errno != EAGAIN) return *done != 0;
            int wait = MillisUntil(deadline);
            if (*done != 0 && timeouts_.readInterval != 0)
                wait = std::min(wait, MillisUntil(lastByte + Millis(timeouts_.readInterval)));
            if (wait == 0) break;
            pollfd p{fd_, POLLIN, 0};
            const int rc = ::poll(&p, 1, wait);
            if (rc < 0 && errno != EINTR) return *done != 0;
            if (rc > 0 && (p.revents & POLLIN) == 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
                return *done != 0;
        }
        return true;
    }

  private:
    int fd_ = -1;
    bool tty_ = false;
    TimeoutSet timeouts_ = kShortTimeouts;
};

}  // namespace

Port& PlatformPort() {
    static PosixPort port;
    return port;
}

}  // namespace lx9comm
