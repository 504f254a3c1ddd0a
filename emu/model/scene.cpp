#include "scene.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "digit_font.h"

namespace lx9emu {

const Patch kPatches[6] = {
    {4, 16, 48, 60, 200, 30, 30},    {18, 30, 48, 60, 30, 180, 40},   {32, 44, 48, 60, 30, 40, 200},
    {46, 58, 48, 60, 240, 240, 240}, {60, 72, 48, 60, 128, 128, 128}, {74, 86, 48, 60, 16, 16, 16},
};
const Patch kMarkerSquare = {6, 12, 6, 12, 240, 220, 0};

namespace {

constexpr int kRampX0 = 4, kRampX1 = 108, kRampY0 = 40, kRampY1 = 46;
constexpr int kDigitX[2] = {60, 84};
constexpr int kDigitY = 6;
constexpr int kDigitScale = 4;
constexpr int kCircleRadius = 8;

struct Rgb {
    uint8_t r, g, b;
};

Rgb fromHsv(double hueDegrees, double saturation, double value) {
    const double h = std::fmod(hueDegrees, 360.0) / 60.0;
    const double c = value * saturation;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
        case 0:
            r = c, g = x;
            break;
        case 1:
            r = x, g = c;
            break;
        case 2:
            g = c, b = x;
            break;
        case 3:
            g = x, b = c;
            break;
        case 4:
            r = x, b = c;
            break;
        default:
            r = c, b = x;
            break;
    }
    const double m = value - c;
    auto byte = [m](double v) { return static_cast<uint8_t>(std::lround((v + m) * 255.0)); };
    return {byte(r), byte(g), byte(b)};
}

// Paints on the block grid; a pixel belongs to block floor(x * blocks / pixels).
class BlockCanvas {
  public:
    explicit BlockCanvas(RgbImage& image) : image_(image) {}

    void fill(int bx0, int bx1, int by0, int by1, Rgb colour) {
        const int x0 = toPixel(bx0, kSceneBlocksX, image_.width),
                  x1 = toPixel(bx1, kSceneBlocksX, image_.width);
        const int y0 = toPixel(by0, kSceneBlocksY, image_.height),
                  y1 = toPixel(by1, kSceneBlocksY, image_.height);
        for (int y = y0; y < y1; ++y) {
            uint8_t* p = &image_.rgb[(static_cast<size_t>(y) * image_.width + x0) * 3];
            for (int x = x0; x < x1; ++x, p += 3) p[0] = colour.r, p[1] = colour.g, p[2] = colour.b;
        }
    }

  private:
    static int toPixel(int block, int blocks, int pixels) {
        return static_cast<int>((static_cast<int64_t>(block) * pixels + blocks - 1) / blocks);
    }
    RgbImage& image_;
};

void paintBackground(BlockCanvas& canvas, int frame) {
    const double hue = (frame * 47) % 360;
    for (int by = 0; by < kSceneBlocksY; ++by)
        canvas.fill(0, kSceneBlocksX, by, by + 1, fromHsv(hue, 0.35, 0.70 - 0.20 * by / kSceneBlocksY));
}

void paintMarker(BlockCanvas& canvas) {
    const Rgb yellow{kMarkerSquare.r, kMarkerSquare.g, kMarkerSquare.b};
    canvas.fill(2, 22, 2, 4, yellow);
    canvas.fill(2, 4, 2, 22, yellow);
    canvas.fill(kMarkerSquare.x0, kMarkerSquare.x1, kMarkerSquare.y0, kMarkerSquare.y1, yellow);
}

void paintCircle(BlockCanvas& canvas, int frame) {
    const double cx = 18 + (frame % 5) * 6, cy = 24;
    const Rgb colour = fromHsv((frame * 47 + 180) % 360, 0.8, 0.85);
    for (int by = 0; by < kSceneBlocksY; ++by)
        for (int bx = 0; bx < kSceneBlocksX; ++bx) {
            const double dx = bx + 0.5 - cx, dy = by + 0.5 - cy;
            if (dx * dx + dy * dy <= kCircleRadius * kCircleRadius)
                canvas.fill(bx, bx + 1, by, by + 1, colour);
        }
}

void paintRamp(BlockCanvas& canvas) {
    for (int bx = kRampX0; bx < kRampX1; ++bx) {
        const auto v = static_cast<uint8_t>((bx - kRampX0) * 255 / (kRampX1 - kRampX0 - 1));
        canvas.fill(bx, bx + 1, kRampY0, kRampY1, {v, v, v});
    }
}

void paintNumber(BlockCanvas& canvas, int frame) {
    const int digits[2] = {frame / 10 % 10, frame % 10};
    for (int i = 0; i < 2; ++i)
        for (int row = 0; row < kDigitRows; ++row)
            for (int col = 0; col < kDigitColumns; ++col)
                if (digitPixel(digits[i], col, row)) {
                    const int bx = kDigitX[i] + col * kDigitScale, by = kDigitY + row * kDigitScale;
                    canvas.fill(bx, bx + kDigitScale, by, by + kDigitScale, {24, 24, 24});
                }
}

}  // namespace

RgbImage renderScene(int frame, int width, int height) {
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536)
        throw std::invalid_argument("renderScene: size out of range");
    RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    BlockCanvas canvas(image);
    paintBackground(canvas, frame);
    paintMarker(canvas);
    paintCircle(canvas, frame);
    paintRamp(canvas);
    for (const Patch& p : kPatches) canvas.fill(p.x0, p.x1, p.y0, p.y1, {p.r, p.g, p.b});
    paintNumber(canvas, frame);
    return image;
}

}  // namespace lx9emu
