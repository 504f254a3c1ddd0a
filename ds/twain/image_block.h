// A locked view of an image block, with every size in its header checked against the block before use.
#pragma once

#include "lx9twain.h"

#include <cstddef>
#include <cstdint>

namespace lx9 {

class LockedImage {
  public:
    explicit LockedImage(HGLOBAL block);
    ~LockedImage();
    LockedImage(const LockedImage&) = delete;
    LockedImage& operator=(const LockedImage&) = delete;

    // The block is locked and holds at least a whole BITMAPINFOHEADER.
    bool HasHeader() const;
    const BITMAPINFOHEADER& Header() const { return header_; }

    // A 40-byte header whose colour table (at most 256 entries) lies inside the block.
    bool HasColourTable() const;
    const uint8_t* ColourTable() const { return bytes_ + sizeof(BITMAPINFOHEADER); }

    // A positive width, a height of 0 or more and all packed rows inside the block.
    bool HasRows() const;
    uint32_t BytesPerRow() const;  // packed: bits per pixel x width / 8
    const uint8_t* Pixels() const;

  private:
    HGLOBAL block_;
    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    BITMAPINFOHEADER header_{};
};

}  // namespace lx9
