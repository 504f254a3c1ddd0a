#include "exposure.h"

#include <algorithm>
#include <cmath>

namespace lx9emu {
namespace {

constexpr std::array<double, kClasses> kOrangeMask{0.80, 0.58, 0.42, 0.58};
constexpr double kNegativeDyeDensity = 0.8;  // density of a full-scale scene value above the base
constexpr double kBlueBalance = 0.93;        // negative mode reads blue slightly below green
constexpr double kSlideBlack = 18.0 / 255.0;
constexpr double kSlideWhite = 244.0 / 255.0;
constexpr double kSlideOpaque = 0.01;
constexpr uint16_t kLevelCap = 4095;

}  // namespace

double frameDensity(FilmKind film, int frame) {
    if (film == FilmKind::Positive) return 0.0;
    return 0.04 * ((frame * 7) % 6);  // 0 .. 0.2: frames shot with different camera exposures
}

double filmTransmittance(FilmKind film, int colourClass, int sceneValue, double density) {
    const double s = std::clamp(sceneValue, 0, 255) / 255.0;
    if (film == FilmKind::Positive) return kSlideBlack + (kSlideWhite - kSlideBlack) * s;
    return kOrangeMask[colourClass] * std::pow(10.0, -(density + kNegativeDyeDensity * s));
}

double borderTransmittance(FilmKind film, int colourClass) {
    return film == FilmKind::Positive ? kSlideOpaque : kOrangeMask[colourClass];
}

double channelGain(bool positiveMode, int colourClass) {
    if (positiveMode) return 1.0;
    const double gain = kOrangeMask[kRed] / kOrangeMask[colourClass];
    return colourClass == kBlue ? gain * kBlueBalance : gain;
}

LevelTable makeLevelTable(FilmKind film, double density, bool positiveMode, uint16_t exposure) {
    LevelTable table;
    const double light = 255.0 * exposure / kFullScaleExposure;
    auto toLevel = [](double v) {
        return static_cast<uint16_t>(std::min<double>(std::lround(v), kLevelCap));
    };
    for (int c = 0; c < kClasses; ++c) {
        const double scale = light * channelGain(positiveMode, c);
        for (int s = 0; s < 256; ++s)
            table.level[c][s] = toLevel(scale * filmTransmittance(film, c, s, density));
        table.level[c][256] = toLevel(scale * borderTransmittance(film, c));
    }
    return table;
}

}  // namespace lx9emu
