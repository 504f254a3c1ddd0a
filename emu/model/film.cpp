#include "film.h"

#include <stdexcept>

namespace lx9emu {

FrameFilm::FrameFilm(const RgbImage& scene) : values_(static_cast<size_t>(kExtLines) * kElements) {
    if (scene.width != kSceneWidth || scene.height != kSceneHeight)
        throw std::invalid_argument("FrameFilm: scene must be 1792 x 1024");
    const size_t rowBytes = static_cast<size_t>(scene.width) * 3;
    for (int l = 0; l < kExtLines; ++l) {
        const uint8_t* column = &scene.rgb[static_cast<size_t>(kSceneWidth - 1 - l) * 3];
        uint8_t* out = &values_[static_cast<size_t>(l) * kElements];
        for (int p = 0; p < kPositions; ++p, out += 4) {
            const uint8_t* upper = column + static_cast<size_t>(2 * p) * rowBytes;
            const uint8_t* lower = upper + rowBytes;
            out[kRed] = upper[0];
            out[kGreen] = upper[1];
            out[kBlue] = upper[2];
            out[kGreen2] = lower[1];
        }
    }
}

}  // namespace lx9emu
