#pragma once
#include <array>
#include <cstdint>
#include <vector>
#include "exposure.h"
#include "film.h"

namespace lx9emu {

using ElementOffsets = std::array<int16_t, kElements>;

// What one scan of one frame reads: the film, the levels for its exposure, the sensor's offsets.
struct ReadoutSource {
    const FrameFilm& film;
    const LevelTable& levels;
    const ElementOffsets& offsets;

    uint8_t element(const uint8_t* filmLine, int e) const {
        return clipLevel(levels.level[e % kClasses][filmLine[e]] + offsets[e]);
    }
};

// 112 lines x 64 pixels of R, G, B: line L is extended line 16L, pixel g is position 8g.
std::vector<uint8_t> indexReadout(const ReadoutSource& source);

// Standard lines y .. y + height - 1 (extended lines 2k), groups x .. x + width - 1, 4 bytes per group for
// positions 2g (A) and 2g + 1 (B): the window's even lines G(A), R(B), G(B), B(B); odd lines R(A), G(A),
// B(A), G(B). The window's first line is always an even line.
std::vector<uint8_t> standardReadout(const ReadoutSource& source, int x, int y, int width, int height);

// Extended lines y .. y + height - 1, positions x .. x + width - 1, R, G, B, G2 of each position. Lines past
// the frame show unexposed film.
std::vector<uint8_t> extendedReadout(const ReadoutSource& source, int x, int y, int width, int height);

}  // namespace lx9emu
