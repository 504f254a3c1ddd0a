#include "twain/image_block.h"

#include <cstring>
#include <limits>

namespace lx9 {

namespace {

constexpr size_t kHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr uint32_t kMaxColours = 256;

}  // namespace

LockedImage::LockedImage(HGLOBAL block) : block_(block) {
    if (!block_) return;
    bytes_ = static_cast<const uint8_t*>(GlobalLock(block_));
    if (!bytes_) return;
    size_ = GlobalSize(block_);
    if (size_ >= kHeaderSize) std::memcpy(&header_, bytes_, kHeaderSize);
}

LockedImage::~LockedImage() {
    if (bytes_) GlobalUnlock(block_);
}

bool LockedImage::HasHeader() const {
    return bytes_ && size_ >= kHeaderSize;
}

bool LockedImage::HasColourTable() const {
    return HasHeader() && header_.biSize == kHeaderSize && header_.biClrUsed <= kMaxColours &&
           kHeaderSize + size_t{header_.biClrUsed} * 4 <= size_;
}

uint32_t LockedImage::BytesPerRow() const {
    uint64_t bytes = uint64_t{header_.biBitCount} * uint64_t(header_.biWidth > 0 ? header_.biWidth : 0) / 8;
    return bytes <= std::numeric_limits<uint32_t>::max() ? uint32_t(bytes) : 0;
}

const uint8_t* LockedImage::Pixels() const {
    return ColourTable() + size_t{header_.biClrUsed} * 4;
}

bool LockedImage::HasRows() const {
    if (!HasColourTable() || header_.biWidth <= 0 || header_.biHeight < 0) return false;
    uint32_t bytesPerRow = BytesPerRow();
    if (bytesPerRow == 0) return false;
    size_t pixelOffset = kHeaderSize + size_t{header_.biClrUsed} * 4;
    return uint64_t{bytesPerRow} * uint64_t(header_.biHeight) <= size_ - pixelOffset;
}

}  // namespace lx9
