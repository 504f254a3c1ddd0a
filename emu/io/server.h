#pragma once
// The emulator's event loop: bytes from the pty into the session, replies out at the wire's pace,
// control commands from the socket, until a signal or "quit" ends it.
#include <deque>
#include <vector>

#include "../core/control.h"
#include "../core/session.h"
#include "control_socket.h"
#include "pty_port.h"

namespace lx9emu {

class Server {
  public:
    Server(PtyPort& port, Session& session, Control& control, ControlSocket* socket, const Timings& timings,
           int stopFd)
        : port_(port),
          session_(session),
          control_(control),
          socket_(socket),
          timings_(timings),
          stopFd_(stopFd) {}

    // Runs until the stop descriptor becomes readable or the control channel says quit; false on an I/O
    // failure of the pty.
    bool run();

  private:
    struct Pending {
        std::vector<uint8_t> bytes;
        size_t sent = 0;
        TimePoint notBefore;
        uint32_t byteIntervalMs = 0;
    };
    bool readHost(TimePoint now);
    bool writeHost(TimePoint now);
    size_t dropUnread();
    int pollTimeout(TimePoint now) const;

    PtyPort& port_;
    Session& session_;
    Control& control_;
    ControlSocket* socket_;
    const Timings& timings_;
    int stopFd_;
    std::deque<Pending> queue_;
    double tokens_ = 0;  // bytes the wire may carry now (rate-limited mode)
    TimePoint lastRefill_{};
    bool blocked_ = false;  // the pty took no more: wait for POLLOUT
};

}  // namespace lx9emu
