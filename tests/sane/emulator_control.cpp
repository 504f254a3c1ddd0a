#include "emulator_control.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace lx9sanetest {

bool EmulatorCommand(const std::string& line) {
    const char* path = std::getenv("LX9_EMU_CONTROL");
    if (path == nullptr || std::strlen(path) >= sizeof(sockaddr_un::sun_path)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path);
    std::string reply;
    const std::string request = line + "\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
        pollfd ready{fd, POLLIN, 0};
        char buffer[4096];
        // The last line is "ok" or "error ...".
        while (::poll(&ready, 1, 5000) == 1) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) break;
            reply.append(buffer, static_cast<size_t>(got));
            if (reply == "ok\n" || reply.ends_with("\nok\n") || reply.find("error") != std::string::npos)
                break;
        }
    }
    ::close(fd);
    return reply == "ok\n" || reply.ends_with("\nok\n");
}

}  // namespace lx9sanetest
