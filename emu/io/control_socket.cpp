#include "control_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lx9emu {

bool ControlSocket::open(const std::string& path, std::string* why) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        *why = path + ": socket path too long";
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *why = path + " exists and is not a socket";
            return false;
        }
        ::unlink(path.c_str());
    }
    listen_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listen_ < 0) {
        *why = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_, 8) != 0) {
        *why = path + ": " + std::strerror(errno);
        ::close(listen_);
        listen_ = -1;
        return false;
    }
    path_ = path;
    return true;
}

void ControlSocket::close() {
    for (auto& c : clients_) ::close(c.fd);
    clients_.clear();
    if (listen_ >= 0) {
        ::close(listen_);
        ::unlink(path_.c_str());
        listen_ = -1;
    }
}

void ControlSocket::addPollFds(std::vector<pollfd>& fds) const {
    if (listen_ < 0) return;
    if (clients_.size() < kMaxClients) fds.push_back({listen_, POLLIN, 0});
    for (const auto& c : clients_) {
        short events = c.closing ? 0 : POLLIN;
        if (!c.output.empty()) events |= POLLOUT;
        fds.push_back({c.fd, events, 0});
    }
}

void ControlSocket::accept() {
    int fd = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) clients_.push_back({fd, {}, {}, false, false});
}

bool ControlSocket::readFrom(Client& client, const Runner& run) {
    char buffer[4096];
    ssize_t n = ::read(client.fd, buffer, sizeof buffer);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) {
        client.closing = true;
        return !client.output.empty();
    }
    for (ssize_t i = 0; i < n; ++i) {
        char c = buffer[i];
        if (c != '\n') {
            if (client.input.size() < kMaxLine)
                client.input.push_back(c);
            else
                client.overlong = true;
            continue;
        }
        if (client.overlong) {
            client.output += "error line longer than 4096 bytes\n";
        } else {
            for (const auto& answer : run(client.input)) client.output += answer + "\n";
        }
        client.input.clear();
        client.overlong = false;
    }
    return client.output.size() <= kMaxPendingAnswer;
}

bool ControlSocket::writeTo(Client& client) {
    ssize_t n = ::send(client.fd, client.output.data(), client.output.size(), MSG_NOSIGNAL);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    client.output.erase(0, static_cast<size_t>(n));
    return !(client.closing && client.output.empty());
}

void ControlSocket::flushAnswers() {
    for (auto& c : clients_)
        if (!c.output.empty()) writeTo(c);
}

void ControlSocket::service(const std::vector<pollfd>& fds, const Runner& run) {
    for (const auto& p : fds) {
        if (p.revents == 0) continue;
        if (p.fd == listen_) {
            accept();
            continue;
        }
        auto it =
            std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.fd == p.fd; });
        if (it == clients_.end()) continue;
        bool keep = true;
        if (p.revents & POLLIN) keep = readFrom(*it, run);
        if (keep && (p.revents & POLLOUT)) keep = writeTo(*it);
        if (keep && (p.revents & (POLLERR | POLLNVAL))) keep = false;
        if (keep && (p.revents & POLLHUP) && !(p.revents & POLLIN)) keep = false;
        if (!keep) {
            ::close(it->fd);
            clients_.erase(it);
        }
    }
}

}  // namespace lx9emu
