#include "pty_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lx9emu {

namespace {
bool fail(std::string* why, const std::string& what) {
    *why = what + ": " + std::strerror(errno);
    return false;
}
}  // namespace

bool PtyPort::open(std::string* why) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail(why, "posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail(why, "unlockpt");
    char name[PATH_MAX];
    if (ptsname_r(master_, name, sizeof name) != 0) return fail(why, "ptsname");
    slaveName_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail(why, slaveName_);
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return fail(why, "tcgetattr");
    cfmakeraw(&t);  // no processing, no echo, no signals: every byte passes as it is
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(slave_, TCSANOW, &t) != 0) return fail(why, "tcsetattr");
    int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) return fail(why, "fcntl");
    return true;
}

bool PtyPort::link(const std::string& path, std::string* why) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *why = path + " exists and is not a symbolic link";
        return false;
    }
    // Made beside the final name and renamed over it, so the host never sees a half-made link.
    std::string temp = path + ".new" + std::to_string(getpid());
    ::unlink(temp.c_str());
    if (symlink(slaveName_.c_str(), temp.c_str()) != 0) return fail(why, temp);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return fail(why, path);
    }
    linkPath_ = path;
    return true;
}

void PtyPort::close() {
    if (!linkPath_.empty()) {
        char target[PATH_MAX];
        ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == slaveName_) ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

size_t PtyPort::unreadBytes() const {
    int n = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &n) != 0 || n < 0) return 0;
    return static_cast<size_t>(n);
}

void PtyPort::discardUnread() {
    if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
}

}  // namespace lx9emu
