#include "server.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lx9emu {

namespace {
constexpr size_t kReadChunk = 65536;
// The most a rate-limited wire sends in one go: 4 ms worth at 1 MB/s.
constexpr double kBurstBytes = 4096;
}  // namespace

size_t Server::dropUnread() {
    size_t dropped = port_.unreadBytes();
    for (const auto& p : queue_) dropped += p.bytes.size() - p.sent;
    queue_.clear();
    port_.discardUnread();
    return dropped;
}

bool Server::readHost(TimePoint now) {
    uint8_t buffer[kReadChunk];
    ssize_t n = ::read(port_.master(), buffer, sizeof buffer);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) return true;
    std::vector<Outgoing> replies;
    session_.receive({buffer, static_cast<size_t>(n)}, now, replies);
    for (auto& r : replies) {
        Pending p;
        p.bytes = std::move(r.bytes);
        p.notBefore = now + std::chrono::milliseconds(r.delayMs);
        p.byteIntervalMs = r.byteIntervalMs;
        queue_.push_back(std::move(p));
    }
    return true;
}

bool Server::writeHost(TimePoint now) {
    while (!queue_.empty()) {
        Pending& p = queue_.front();
        if (p.sent == p.bytes.size()) {
            queue_.pop_front();
            continue;
        }
        if (now < p.notBefore) return true;
        size_t want = p.bytes.size() - p.sent;
        if (p.byteIntervalMs > 0) {
            want = 1;
        } else if (timings_.byteRate > 0) {
            double elapsed = std::chrono::duration<double>(now - lastRefill_).count();
            tokens_ = std::min(kBurstBytes, tokens_ + elapsed * timings_.byteRate);
            lastRefill_ = now;
            want = std::min(want, static_cast<size_t>(tokens_));
            if (want == 0) return true;
        }
        ssize_t n = ::write(port_.master(), p.bytes.data() + p.sent, want);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                blocked_ = true;
                return true;
            }
            return false;
        }
        p.sent += static_cast<size_t>(n);
        if (p.byteIntervalMs > 0)
            p.notBefore = now + std::chrono::milliseconds(p.byteIntervalMs);
        else if (timings_.byteRate > 0)
            tokens_ -= static_cast<double>(n);
        if (static_cast<size_t>(n) < want) {
            blocked_ = true;
            return true;
        }
    }
    return true;
}

int Server::pollTimeout(TimePoint now) const {
    std::optional<TimePoint> due = session_.deadline();
    if (!queue_.empty() && !blocked_) {
        const Pending& p = queue_.front();
        TimePoint next = p.notBefore;
        if (p.byteIntervalMs == 0 && timings_.byteRate > 0 && tokens_ < 1) {
            // Wait until a useful piece of the wire's capacity has built up again.
            double seconds = std::min(kBurstBytes, 1024.0) / timings_.byteRate;
            next = std::max(next, now + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(seconds)));
        }
        if (!due || next < *due) due = next;
    }
    if (!due) return -1;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 60000));
}

bool Server::run() {
    session_.setDropUnread([this] { return dropUnread(); });
    lastRefill_ = Clock::now();
    std::vector<pollfd> fds;
    while (!control_.quitRequested()) {
        TimePoint now = Clock::now();
        fds.clear();
        fds.push_back({stopFd_, POLLIN, 0});
        short ptyEvents = POLLIN;
        if (blocked_) ptyEvents |= POLLOUT;
        fds.push_back({port_.master(), ptyEvents, 0});
        if (socket_) socket_->addPollFds(fds);
        int ready = ::poll(fds.data(), fds.size(), pollTimeout(now));
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "lx9emu: poll: %s\n", std::strerror(errno));
            return false;
        }
        now = Clock::now();
        if (fds[0].revents) break;
        if (fds[1].revents & POLLOUT) blocked_ = false;
        if ((fds[1].revents & POLLIN) && !readHost(now)) {
            std::fprintf(stderr, "lx9emu: reading the pty: %s\n", std::strerror(errno));
            return false;
        }
        session_.tick(now);
        if (!blocked_ && !writeHost(now)) {
            std::fprintf(stderr, "lx9emu: writing the pty: %s\n", std::strerror(errno));
            return false;
        }
        if (socket_ && ready > 0) {
            socket_->service(fds, [&](const std::string& line) { return control_.run(line, Clock::now()); });
        }
    }
    if (socket_) socket_->flushAnswers();
    return true;
}

}  // namespace lx9emu
