// Waiting and frame buffers for the Win32 build: Sleep, and movable global memory locked while in use.
#include <windows.h>

#include "port.h"

namespace lx9comm {
namespace {

class Win32Clock final : public Clock {
  public:
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    uint32_t NowMs() override { return GetTickCount(); }
};

class GlobalMemory final : public Memory {
  public:
    void* Allocate(uint32_t size) override {
        HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, size);
        if (handle == nullptr) return nullptr;
        void* block = GlobalLock(handle);
        if (block == nullptr) GlobalFree(handle);
        return block;
    }
    void Release(void* block) override {
        HGLOBAL handle = GlobalHandle(block);
        if (handle == nullptr) return;
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
};

}  // namespace

Clock& PlatformClock() {
    static Win32Clock clock;
    return clock;
}

Memory& PlatformMemory() {
    static GlobalMemory memory;
    return memory;
}

}  // namespace lx9comm
