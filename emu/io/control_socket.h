#pragma once
// The control channel's Unix socket: several clients, one command per line, answers written back.
#include <poll.h>

#include <functional>
#include <string>
#include <vector>

namespace lx9emu {

class ControlSocket {
  public:
    using Runner = std::function<std::vector<std::string>(const std::string& line)>;
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxClients = 16;
    static constexpr size_t kMaxPendingAnswer = 64u << 20;  // a client that reads nothing is dropped

    ControlSocket() = default;
    ~ControlSocket() { close(); }
    ControlSocket(const ControlSocket&) = delete;
    ControlSocket& operator=(const ControlSocket&) = delete;

    bool open(const std::string& path, std::string* why);  // a stale socket file is replaced
    void close();                                          // also removes the socket file

    void addPollFds(std::vector<pollfd>& fds) const;
    // Serves the descriptors that poll found ready (the entries it added).
    void service(const std::vector<pollfd>& fds, const Runner& run);
    void flushAnswers();  // one last try to send what is pending (before the emulator ends)

  private:
    struct Client {
        int fd = -1;
        std::string input;
        std::string output;
        bool overlong = false;  // the current line is too long: skip to its end
        bool closing = false;   // the peer has closed: answer what is left, then close
    };
    void accept();
    bool readFrom(Client& client, const Runner& run);
    bool writeTo(Client& client);

    int listen_ = -1;
    std::string path_;
    std::vector<Client> clients_;
};

}  // namespace lx9emu
