// lx9emu's control channel from a client that may send anything: the input goes byte for byte through a
// real Unix socket into the channel's line assembly and from there, line by line, into the command parser
// (device switches, cartridges, fault rules, sense bytes, timings, the log). Checked: every command's
// answer ends with "ok" or "error ...", every complete line gets exactly one such ending, and the
// conversation ends once the client has stopped sending.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "core/command_log.h"
#include "core/control.h"
#include "core/device.h"
#include "core/faults.h"
#include "io/control_socket.h"
#include "fuzz_input.h"

namespace {

using namespace std::chrono_literals;

lx9emu::ScannerModel& Model() {
    static lx9emu::ScannerModel model(1);
    return model;
}

lx9emu::ControlSocket& Channel() {
    static lx9emu::ControlSocket* channel = [] {
        auto* c = new lx9emu::ControlSocket;
        std::string why;
        const std::string path = "/tmp/lx9fuzz-control-" + std::to_string(getpid());
        if (!c->open(path, &why)) lx9fuzz::Fail(__FILE__, __LINE__, why.c_str());
        std::atexit([] { Channel().close(); });
        return c;
    }();
    return *channel;
}

bool Final(const std::string& line) {
    return line == "ok" || line.rfind("error", 0) == 0;
}

int Connect() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = "/tmp/lx9fuzz-control-" + std::to_string(getpid());
    std::memcpy(address.sun_path, path.c_str(), path.size());
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        lx9fuzz::Fail(__FILE__, __LINE__, "cannot connect to the control channel");
    return fd;
}

}  // namespace

// The film of all forty frames is developed before the first input, not inside it (which took longer than the
// time-out under load); cartridge commands then only change what the model holds.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Model().setCartridge({40, lx9emu::FilmKind::Negative, {}});
    Model().setCartridge({});
    Channel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Long enough for an overlong line, short enough to fit the socket's buffer in one send.
    if (size > 12000) return 0;
    lx9emu::ControlSocket& channel = Channel();
    lx9emu::TimePoint now = lx9emu::TimePoint{} + 1h;
    lx9emu::DeviceConfig config;
    config.timings = lx9emu::Timings::fast();
    lx9emu::Device device(Model(), config, now);
    lx9emu::FaultPlan faults;
    lx9emu::CommandLog log;
    log.add("cmd 0200 - status 00 data 12");
    lx9emu::Control control(device, faults, log);

    size_t lines = 0;
    const lx9emu::ControlSocket::Runner run = [&](const std::string& line) {
        ++lines;
        std::vector<std::string> answer = control.run(line, now);
        LX9_FUZZ_CHECK(!answer.empty() && Final(answer.back()));
        for (size_t i = 0; i + 1 < answer.size(); ++i)
            LX9_FUZZ_CHECK(answer[i].find('\n') == std::string::npos);
        now += 10ms;
        return answer;
    };

    const int client = Connect();
    size_t sent = 0;
    std::string received;
    bool closed = false;
    for (int round = 0; round < 10000 && !closed; ++round) {
        if (sent < size) {
            const ssize_t n = send(client, data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0) sent += static_cast<size_t>(n);
            if (sent == size) shutdown(client, SHUT_WR);
        } else if (size == 0 && round == 0) {
            shutdown(client, SHUT_WR);
        }
        std::vector<pollfd> fds;
        channel.addPollFds(fds);
        poll(fds.data(), fds.size(), 1);
        channel.service(fds, run);
        char buffer[65536];
        for (;;) {
            const ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n > 0) {
                received.append(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n == 0) closed = true;
            break;
        }
    }
    close(client);
    LX9_FUZZ_CHECK(closed);  // the channel closes a client that has said all it had to say

    // One ending per complete line, whether it was run or refused as too long.
    size_t newlines = 0;
    for (size_t i = 0; i < size; ++i) newlines += data[i] == '\n';
    size_t endings = 0;
    for (size_t start = 0; start < received.size();) {
        const size_t end = received.find('\n', start);
        LX9_FUZZ_CHECK(end != std::string::npos);  // answers are whole lines
        endings += Final(received.substr(start, end - start));
        start = end + 1;
    }
    LX9_FUZZ_CHECK(lines <= newlines);
    LX9_FUZZ_CHECK(endings == newlines);
    return 0;
}
