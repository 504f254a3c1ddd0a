#pragma once
#include <png.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "scanner_model.h"
#include "scene.h"

namespace lx9emu::test {

inline std::string writePng(const RgbImage& image, const std::string& name) {
    const auto path = std::filesystem::temp_directory_path() / ("emu_model_" + name + ".png");
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr)) return {};
    return path.string();
}

inline RgbImage uniformImage(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) image.rgb.insert(image.rgb.end(), {r, g, b});
    return image;
}

// Every byte different from its neighbours, so a misplaced element shows.
inline RgbImage noiseImage(int width, int height) {
    RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    uint32_t x = 12345;
    for (uint8_t& v : image.rgb) {
        x = x * 1664525u + 1013904223u;
        v = static_cast<uint8_t>(x >> 24);
    }
    return image;
}

// Positive film read in positive mode at exposure 300 (twice the calibration word): 18 .. 244.
inline int slideLevel(int sceneValue) {
    return static_cast<int>(std::lround(18 + 226.0 * sceneValue / 255));
}

inline ScanRequest request(uint8_t mode, uint8_t film, uint8_t frame, std::vector<uint16_t> exposures,
                           int32_t x, int32_t y, int32_t width, int32_t height) {
    ScanRequest r;
    r.windowMode = mode;
    r.film = film;
    r.frame = frame;
    r.exposures = std::move(exposures);
    r.x = x, r.y = y, r.width = width, r.height = height;
    return r;
}
inline ScanRequest indexRequest(uint8_t film, uint8_t frame, std::vector<uint16_t> exposures) {
    return request(0, film, frame, std::move(exposures), 0, 0, 64, 112);
}
inline ScanRequest standardRequest(uint8_t film, uint8_t frame, uint16_t exposure) {
    return request(1, film, frame, {exposure}, 0, 0, 256, 896);
}

}  // namespace lx9emu::test
