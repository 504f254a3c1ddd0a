#include "picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace lx9emu {
namespace {

constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 26;  // 64 Mpixels: 192 MB decoded

// Weights of the source samples that make up each destination sample along one axis.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Tap> makeTaps(int sourceSize, int destSize) {
    const double scale = static_cast<double>(sourceSize) / destSize;
    const double support = std::max(1.0, scale);
    std::vector<Tap> taps(destSize);
    for (int d = 0; d < destSize; ++d) {
        const double centre = (d + 0.5) * scale - 0.5;
        const int first = std::max(0, static_cast<int>(std::floor(centre - support)) + 1);
        const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(centre + support)) - 1);
        Tap& tap = taps[d];
        tap.first = first;
        double sum = 0;
        for (int s = first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::fabs(s - centre) / support);
            tap.weights.push_back(static_cast<float>(w));
            sum += w;
        }
        if (tap.weights.empty() || sum <= 0) {  // centre outside the picture: nearest edge sample
            tap.first = std::clamp(static_cast<int>(std::lround(centre)), 0, sourceSize - 1);
            tap.weights.assign(1, 1.0f);
            sum = 1;
        }
        for (float& w : tap.weights) w = static_cast<float>(w / sum);
    }
    return taps;
}

}  // namespace

RgbImage scalePicture(const RgbImage& source, int width, int height) {
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0)
        throw std::invalid_argument("scalePicture: empty picture");
    const std::vector<Tap> across = makeTaps(source.width, width);
    const std::vector<Tap> down = makeTaps(source.height, height);
    // Horizontal pass into floats, then vertical pass into bytes.
    std::vector<float> rows(static_cast<size_t>(source.height) * width * 3);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < width; ++x) {
            const Tap& t = across[x];
            float acc[3] = {0, 0, 0};
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const uint8_t* p = source.pixel(t.first + static_cast<int>(k), y);
                for (int c = 0; c < 3; ++c) acc[c] += t.weights[k] * p[c];
            }
            std::memcpy(&rows[(static_cast<size_t>(y) * width + x) * 3], acc, sizeof acc);
        }
    RgbImage out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        const Tap& t = down[y];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                float acc = 0;
                for (size_t k = 0; k < t.weights.size(); ++k)
                    acc += t.weights[k] * rows[((t.first + k) * width + x) * 3 + c];
                out.rgb[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    static_cast<uint8_t>(std::clamp(std::lround(acc), 0L, 255L));
            }
    }
    return out;
}

RgbImage loadPicture(const std::string& path, int width, int height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    auto fail = [&](const std::string& why) {
        const std::string message = "cannot read picture " + path + ": " + why;
        png_image_free(&image);
        throw std::runtime_error(message);
    };
    if (!png_image_begin_read_from_file(&image, path.c_str())) fail(image.message);
    if (image.width == 0 || image.height == 0 || uint64_t{image.width} * image.height > kMaxPicturePixels)
        fail("picture size out of range");
    image.format = PNG_FORMAT_RGB;
    RgbImage decoded{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) fail(image.message);
    png_image_free(&image);
    if (decoded.width == width && decoded.height == height) return decoded;
    return scalePicture(decoded, width, height);
}

}  // namespace lx9emu
