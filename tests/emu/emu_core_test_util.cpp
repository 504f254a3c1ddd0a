#include "emu_core_test_util.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

namespace lx9emu::test {

ScannerModel& sharedModel() {
    static ScannerModel model(1);
    return model;
}

std::vector<uint8_t> windowPayload(uint8_t mode, uint8_t film, uint8_t pass, uint8_t frame,
                                   const std::vector<uint16_t>& exposures, int32_t x, int32_t y,
                                   int32_t width, int32_t height) {
    static const uint16_t resolution[] = {52, 417, 835};
    static const uint16_t value26[] = {1, 0, 0};
    static const uint8_t modeBits[] = {0x00, 0xA0, 0x80};
    static const uint8_t bytes30[][4] = {{7, 3, 0, 0}, {0x27, 0, 0x72, 0}, {0xFF, 0, 0, 0}};
    std::vector<uint8_t> p(4, 0);
    putBe16(p, resolution[mode]);
    putBe16(p, resolution[mode]);
    for (int32_t v : {x, y, width, height}) putBe32(p, static_cast<uint32_t>(v));
    p.push_back(0x05);
    p.push_back(0x08);
    putBe16(p, value26[mode]);
    p.push_back(0);
    p.push_back(static_cast<uint8_t>(modeBits[mode] + film * 16 + pass));
    p.insert(p.end(), bytes30[mode], bytes30[mode] + 4);
    p.insert(p.end(), 10, 0);
    p.push_back(frame);
    p.push_back(static_cast<uint8_t>(exposures.size()));
    for (uint16_t e : exposures) putBe16(p, e);
    return p;
}

std::vector<uint8_t> indexGroupWindow(uint8_t top, uint16_t exposure) {
    return windowPayload(0, 0, 2, top, std::vector<uint16_t>(5, exposure), 0, 0, 64, 112);
}

std::vector<uint8_t> standardWindow(uint8_t frame, uint16_t exposure) {
    return windowPayload(1, 0, 2, frame, {exposure}, 0, 0, 256, 896);
}

std::vector<uint8_t> readPayload(uint8_t type, uint16_t qualifier, uint32_t count, uint32_t start) {
    std::vector<uint8_t> p{type, 0};
    putBe16(p, qualifier);
    putBe32(p, count);
    putBe32(p, start);
    return p;
}

std::vector<uint8_t> sensePayload(uint16_t which) {
    std::vector<uint8_t> p;
    putBe16(p, which);
    return p;
}

std::optional<ParsedReply> parseReply(std::span<const uint8_t> bytes) {
    if (bytes.size() < kReplyHeaderSize + 2) return std::nullopt;
    uint32_t length = be32(bytes.data() + 1);
    if (length == 0 || bytes.size() != kReplyHeaderSize + length + 1) return std::nullopt;
    ParsedReply r;
    r.start = bytes[0];
    r.code = be16(bytes.data() + 5);
    r.status = bytes[7];
    r.data.assign(bytes.begin() + 8, bytes.end() - 1);
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
    r.checksumOk = sum == 0;
    return r;
}

// ---- the emulator process ----

EmulatorProcess::EmulatorProcess(std::vector<std::string> extraArgs) {
    char pattern[] = "/tmp/lx9emu-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    dir_ = pattern;
    link_ = dir_ + "/lpt1";
    control_ = dir_ + "/control";
    log_ = dir_ + "/log";
    std::vector<std::string> args{LX9EMU_PATH, "--fast", "--link", link_,
                                  "--control", control_, "--log",  log_};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Ready once the link exists (it is made last).
    for (int i = 0; i < 500; ++i) {
        struct stat st {};
        if (lstat(link_.c_str(), &st) == 0) return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int EmulatorProcess::stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

EmulatorProcess::~EmulatorProcess() {
    stop(SIGTERM);
    for (const auto& f : {link_, control_, log_}) unlink(f.c_str());
    rmdir(dir_.c_str());
}

// ---- the host port ----

HostPort::HostPort(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

HostPort::~HostPort() {
    if (fd_ >= 0) close(fd_);
}

void HostPort::send(std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("write to the port failed");
        done += static_cast<size_t>(n);
    }
}

std::vector<uint8_t> HostPort::read(size_t count, std::chrono::milliseconds timeout) {
    std::vector<uint8_t> bytes(count);
    size_t done = 0;
    auto end = std::chrono::steady_clock::now() + timeout;
    while (done < count) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() < 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        ssize_t n = ::read(fd_, bytes.data() + done, count - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

std::optional<ParsedReply> HostPort::exchange(uint16_t code, std::span<const uint8_t> payload,
                                              std::chrono::milliseconds timeout) {
    send(buildCommand(code, payload));
    std::vector<uint8_t> frame = read(kReplyHeaderSize, timeout);
    if (frame.size() < kReplyHeaderSize) return std::nullopt;
    uint32_t length = be32(frame.data() + 1);
    if (length > (64u << 20)) return std::nullopt;
    std::vector<uint8_t> body = read(length + 1, timeout);
    frame.insert(frame.end(), body.begin(), body.end());
    return parseReply(frame);
}

// ---- the control client ----

ControlClient::ControlClient(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

ControlClient::~ControlClient() {
    if (fd_ >= 0) close(fd_);
}

std::vector<std::string> ControlClient::run(const std::string& line) {
    std::vector<std::string> answer;
    if (fd_ < 0) return {"error not connected"};
    std::string out = line + "\n";
    if (::send(fd_, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size()))
        return {"error send"};
    for (;;) {
        size_t eol;
        while ((eol = pending_.find('\n')) != std::string::npos) {
            std::string l = pending_.substr(0, eol);
            pending_.erase(0, eol + 1);
            answer.push_back(l);
            if (l == "ok" || l.rfind("error", 0) == 0) return answer;
        }
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) return {"error no answer"};
        char buffer[65536];
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) return {"error closed"};
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

bool ControlClient::ok(const std::string& line) {
    auto answer = run(line);
    return !answer.empty() && answer.back() == "ok";
}

}  // namespace lx9emu::test
