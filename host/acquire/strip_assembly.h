// Placing buffered-memory strips into the image: every field of a strip is checked against the image and
// the buffer before a byte is copied.
#pragma once

#include "rgb_image.h"

#include <lx9twain.h>

#include <string>
#include <vector>

namespace lx9::acquire {

class StripAssembly {
  public:
    // An RGB image of 8 bits per sample, the only kind the program saves.
    bool Start(const TW_IMAGEINFO& info, std::string& error);
    // One strip as TW_IMAGEMEMXFER describes it, its bytes in `buffer` of `bufferSize` bytes.
    bool Add(const TW_IMAGEMEMXFER& strip, const uint8_t* buffer, std::size_t bufferSize, std::string& error);
    // Every row arrived.
    bool Complete() const { return rowsReceived_ == image_.height; }
    uint32_t RowsReceived() const { return rowsReceived_; }
    RgbImage& Image() { return image_; }

  private:
    RgbImage image_;
    std::vector<uint8_t> rowSeen_;
    uint32_t rowsReceived_ = 0;
};

}  // namespace lx9::acquire
