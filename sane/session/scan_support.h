// What the session's scans share: the chain's memory blocks, the memory failure and the cancel flag.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "chain/global_memory.h"
#include "chain/index_image.h"
#include "outcome.h"

namespace lx9::sane {

// A locked block of the chain's memory, freed when it goes out of scope.
class Block {
  public:
    explicit Block(size_t bytes) : data_(AllocLockedBlock(bytes)) {}
    ~Block() { FreeLockedBlock(data_); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    uint8_t* get() const { return data_; }
    // The chain freed it (ProcessFrame consumes its extraction buffer) or took it over.
    uint8_t* release() { return std::exchange(data_, nullptr); }

  private:
    uint8_t* data_;
};

// An allocation failed: reported as the data source reports it ("Memory Empty.").
Outcome NoMemory(ReportSink* sink);

constexpr size_t kIndexBytes = 21504;  // an index readout, and an index image

// An index readout (raw, kIndexBytes) made into the frame's cell of the index sheet: ProcessFrame, then the
// display copy with its header, as the index workflows make a frame's index image. cell's pixels are the
// caller's (FreeLockedBlock).
Outcome MakeIndexCell(ReportSink* sink, int frame, uint8_t* raw, IndexImage* cell);

inline bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

}  // namespace lx9::sane
