#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lx9emu {

// An upright picture, rows top to bottom, pixels left to right, 3 bytes R, G, B.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The procedural scene of a frame at any size. The layout lives on a grid of 112 x 64 blocks (one block is
// one index pixel, 8 x 8 standard pixels, 16 x 16 extended pixels), so every readout samples it alike:
// - a yellow corner marker at the top left (bars along the top and left edges and a square);
// - the frame number as two large digits in the top right;
// - a filled circle whose place and colour change with the frame;
// - a grey ramp from black (left) to white (right) across blocks 4..107 of rows 40..45;
// - a row of patches in rows 48..59: red, green, blue, white, grey, black (kPatches);
// - a background whose hue changes with the frame.
RgbImage renderScene(int frame, int width, int height);

constexpr int kSceneBlocksX = 112;
constexpr int kSceneBlocksY = 64;

struct Patch {
    int x0, x1, y0, y1;  // blocks, end exclusive
    uint8_t r, g, b;
};
extern const Patch kPatches[6];
extern const Patch kMarkerSquare;

}  // namespace lx9emu
