// The parallel port through the Win32 file interface: "LPT1:", opened exclusively, synchronous I/O.
#include <windows.h>

#include "port.h"

namespace lx9comm {
namespace {

class Win32Port final : public Port {
  public:
    bool Open() override {
        handle_ = CreateFileA("LPT1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }

    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool SetTimeouts(const TimeoutSet& set) override {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = set.readInterval;
        t.ReadTotalTimeoutMultiplier = set.readTotalMultiplier;
        t.ReadTotalTimeoutConstant = set.readTotalConstant;
        t.WriteTotalTimeoutMultiplier = set.writeTotalMultiplier;
        t.WriteTotalTimeoutConstant = set.writeTotalConstant;
        return SetCommTimeouts(handle_, &t) != FALSE;
    }

    bool Write(const uint8_t* bytes, uint32_t n, uint32_t* done) override {
        DWORD written = 0;
        const BOOL ok = WriteFile(handle_, bytes, n, &written, nullptr);
        *done = written;
        return ok != FALSE;
    }

    bool Read(uint8_t* bytes, uint32_t n, uint32_t* done) override {
        DWORD got = 0;
        const BOOL ok = ReadFile(handle_, bytes, n, &got, nullptr);
        *done = got;
        return ok != FALSE;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

Port& PlatformPort() {
    static Win32Port port;
    return port;
}

}  // namespace lx9comm
