#pragma once
#include <cstdint>
#include <memory>
#include <vector>
#include "geometry.h"
#include "scene.h"

namespace lx9emu {

// One frame of the cartridge as the sensor meets it, at extended resolution: for each of the 1792 lines, the
// scene value under each of the 2048 elements. Line l lies under scene column 1791 - l; the R, G and B
// elements of position p look at scene row 2p and the G2 element at row 2p + 1. The film's response to these
// values is applied per scan (exposure.h), so frames that show the same picture can share one grid.
class FrameFilm {
  public:
    // The scene is sampled at the nearest pixel, so a block-drawn scene may come at its block size.
    explicit FrameFilm(const RgbImage& scene);

    const uint8_t* line(int extendedLine) const {
        return &values_[static_cast<size_t>(extendedLine) * kElements];
    }

  private:
    std::vector<uint8_t> values_;
};

using SharedFilm = std::shared_ptr<const FrameFilm>;

}  // namespace lx9emu
