// The device side of a pseudo-terminal for tests: the library opens the slave through a link named in
// LX9_PORT, and a script running on a thread plays the scanner on the master.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace lx9test {

using Bytes = std::vector<uint8_t>;

// A command frame as the host must send it, and a reply frame as a correct device sends it.
Bytes CommandFrame(uint16_t code, const Bytes& payload = {});
Bytes ReplyFrame(uint16_t code, uint8_t status, const Bytes& data = {});
// The 21-byte answer to the resynchronisation probe.
Bytes ProbeReply();

class DevicePeer {
  public:
    DevicePeer();  // creates the pty and the link, and points LX9_PORT at it
    ~DevicePeer();
    DevicePeer(const DevicePeer&) = delete;
    DevicePeer& operator=(const DevicePeer&) = delete;

    // Runs the script on the device's own thread; Join waits for it.
    void Play(std::function<void(DevicePeer&)> script);
    void Join();

    // Device-side operations for scripts.
    Bytes Receive(size_t n, int timeoutMs = 3000);  // up to n bytes; fewer when the host stays quiet
    void Expect(const Bytes& frame);                // receives frame.size() bytes and compares them
    void Send(const Bytes& bytes);
    void Trickle(const Bytes& bytes, size_t chunk, int gapMs);
    static void Pause(int ms);

    const std::string& path() const { return path_; }

  private:
    int master_ = -1;
    int slave_ = -1;  // held open so that the host's closes and re-opens find the terminal intact
    std::string path_;
    std::thread thread_;
};

}  // namespace lx9test
