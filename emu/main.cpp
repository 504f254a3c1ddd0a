// lx9emu: the LX-9 film scanner on a pseudo-terminal, for the data source and its tests.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "core/control.h"
#include "core/options.h"
#include "core/session.h"
#include "io/control_socket.h"
#include "io/pty_port.h"
#include "io/server.h"

namespace {
int stopPipe[2] = {-1, -1};

void onSignal(int) {
    char byte = 1;
    ssize_t ignored = write(stopPipe[1], &byte, 1);
    (void)ignored;
}

bool installSignals() {
    if (pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        if (sigaction(s, &action, nullptr) != 0) return false;
    signal(SIGPIPE, SIG_IGN);
    return true;
}

int serve(const lx9emu::Options& options) {
    using namespace lx9emu;
    ScannerModel model(options.seed);
    TimePoint now = Clock::now();
    Device device(model, options.device, now);
    std::string why;
    if (options.cartridge) {
        if (!device.insertCartridge(options.frames, options.film, now, &why)) {
            std::fprintf(stderr, "lx9emu: cartridge: %s\n", why.c_str());
            return 1;
        }
        if (options.unusable) device.makeCartridgeUnusable();
    }
    device.setStandby(options.standby, now);
    device.setBusy(0, now);  // the scanner is idle when the emulator starts, whatever the timings

    FaultPlan faults;
    for (const auto& rule : options.faults) faults.add(rule);
    CommandLog log;
    if (!options.logPath.empty() && !log.openFile(options.logPath, &why)) {
        std::fprintf(stderr, "lx9emu: log: %s\n", why.c_str());
        return 1;
    }
    Session session(device, faults, log);
    Control control(device, faults, log);

    if (!installSignals()) {
        std::perror("lx9emu: signals");
        return 1;
    }
    PtyPort port;
    if (!port.open(&why)) {
        std::fprintf(stderr, "lx9emu: pty: %s\n", why.c_str());
        return 1;
    }
    ControlSocket socket;
    if (!options.control.empty() && !socket.open(options.control, &why)) {
        std::fprintf(stderr, "lx9emu: control: %s\n", why.c_str());
        return 1;
    }
    // The link comes last: once it exists, the emulator answers on both channels.
    if (!port.link(options.link, &why)) {
        std::fprintf(stderr, "lx9emu: link: %s\n", why.c_str());
        return 1;
    }
    std::printf("lx9emu: %s -> %s\n", options.link.c_str(), port.slaveName().c_str());
    std::fflush(stdout);

    Server server(port, session, control, options.control.empty() ? nullptr : &socket,
                  device.config().timings, stopPipe[0]);
    bool ok = server.run();
    port.close();
    socket.close();
    return ok ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    lx9emu::Options options;
    std::string why;
    if (!lx9emu::parseOptions({argv + 1, argv + argc}, &options, &why)) {
        std::fprintf(stderr, "lx9emu: %s\n%s", why.c_str(), lx9emu::usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(lx9emu::usage().c_str(), stdout);
        return 0;
    }
    try {
        return serve(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lx9emu: %s\n", e.what());
        return 1;
    }
}
