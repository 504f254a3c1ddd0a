#include "device_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace lx9test {
namespace {

Bytes Frame(uint16_t code, const Bytes& body) {
    Bytes f{0x01};
    const auto n = static_cast<uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8) f.push_back(static_cast<uint8_t>(n >> shift));
    f.push_back(static_cast<uint8_t>(code >> 8));
    f.push_back(static_cast<uint8_t>(code));
    f.insert(f.end(), body.begin(), body.end());
    uint8_t sum = 0;
    for (uint8_t b : f) sum = static_cast<uint8_t>(sum + b);
    f.push_back(static_cast<uint8_t>(-sum));
    return f;
}

std::atomic<int> linkCounter{0};

}  // namespace

Bytes CommandFrame(uint16_t code, const Bytes& payload) {
    return Frame(code, payload);
}

Bytes ReplyFrame(uint16_t code, uint8_t status, const Bytes& data) {
    Bytes body{status};
    body.insert(body.end(), data.begin(), data.end());
    return Frame(code, body);
}

Bytes ProbeReply() {
    return ReplyFrame(0x0200, 0, Bytes{1, 0x12, 0x34, 0, 0x0F, 0, 0, 7, 0, 0, 0, 0});
}

DevicePeer::DevicePeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return;
    }
    const char* slaveName = ptsname(master_);
    slave_ = open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    path_ = "/tmp/lx9comm-test-" + std::to_string(getpid()) + "-" + std::to_string(linkCounter++);
    unlink(path_.c_str());
    if (symlink(slaveName, path_.c_str()) != 0) ADD_FAILURE() << "cannot link " << path_;
    setenv("LX9_PORT", path_.c_str(), 1);
}

DevicePeer::~DevicePeer() {
    Join();
    unlink(path_.c_str());
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

void DevicePeer::Play(std::function<void(DevicePeer&)> script) {
    Join();
    thread_ = std::thread([this, script = std::move(script)] { script(*this); });
}

void DevicePeer::Join() {
    if (thread_.joinable()) thread_.join();
}

Bytes DevicePeer::Receive(size_t n, int timeoutMs) {
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t buf[4096];
    while (got.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        const ssize_t r = read(master_, buf, std::min(sizeof buf, n - got.size()));
        if (r <= 0) break;
        got.insert(got.end(), buf, buf + r);
    }
    return got;
}

void DevicePeer::Expect(const Bytes& frame) {
    EXPECT_EQ(Receive(frame.size()), frame);
}

void DevicePeer::Send(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = write(master_, bytes.data() + done, bytes.size() - done);
        if (w <= 0) {
            ADD_FAILURE() << "device side cannot write";
            return;
        }
        done += static_cast<size_t>(w);
    }
}

void DevicePeer::Trickle(const Bytes& bytes, size_t chunk, int gapMs) {
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        if (at != 0) Pause(gapMs);
        Send(Bytes(bytes.begin() + static_cast<long>(at),
                   bytes.begin() + static_cast<long>(std::min(bytes.size(), at + chunk))));
    }
}

void DevicePeer::Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace lx9test
