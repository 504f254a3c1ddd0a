#include "film.h"

#include <stdexcept>

namespace lx9emu {

FrameFilm::FrameFilm(const RgbImage& scene) : values_(static_cast<size_t>(kExtLines) * kElements) {
    if (scene.width <= 0 || scene.height <= 0 ||
        scene.rgb.size() != static_cast<size_t>(scene.width) * scene.height * 3)
        throw std::invalid_argument("FrameFilm: empty scene");
    // Scene row of each sample: rows 2p and 2p + 1 of the extended grid, nearest pixel of the given scene.
    std::vector<size_t> rowOffset(kSceneHeight);
    for (int y = 0; y < kSceneHeight; ++y)
        rowOffset[y] =
            static_cast<size_t>(static_cast<int64_t>(y) * scene.height / kSceneHeight) * scene.width * 3;
    for (int l = 0; l < kExtLines; ++l) {
        const int x = static_cast<int>(static_cast<int64_t>(kSceneWidth - 1 - l) * scene.width / kSceneWidth);
        const uint8_t* column = &scene.rgb[static_cast<size_t>(x) * 3];
        uint8_t* out = &values_[static_cast<size_t>(l) * kElements];
        for (int p = 0; p < kPositions; ++p, out += 4) {
            const uint8_t* upper = column + rowOffset[2 * p];
            const uint8_t* lower = column + rowOffset[2 * p + 1];
            out[kRed] = upper[0];
            out[kGreen] = upper[1];
            out[kBlue] = upper[2];
            out[kGreen2] = lower[1];
        }
    }
}

}  // namespace lx9emu
