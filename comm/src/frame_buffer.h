// A frame buffer that lives for one exchange and is released on every path out of it.
#pragma once

#include <cstdint>

#include "port.h"

namespace lx9comm {

class FrameBuffer {
  public:
    FrameBuffer(Memory& memory, uint32_t size)
        : memory_(memory), bytes_(static_cast<uint8_t*>(memory.Allocate(size))) {}
    ~FrameBuffer() {
        if (bytes_ != nullptr) memory_.Release(bytes_);
    }
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    explicit operator bool() const { return bytes_ != nullptr; }
    uint8_t* data() const { return bytes_; }

  private:
    Memory& memory_;
    uint8_t* bytes_;
};

}  // namespace lx9comm
