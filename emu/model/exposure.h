#pragma once
#include <array>
#include <cstdint>
#include "geometry.h"
#include "scanner_model.h"

namespace lx9emu {

// Light and film physics: what level an element reads for a scene value seen through the film.
//
// A clear light path read with exposure value E gives 255 * E / kFullScaleExposure. Film transmits part of
// it:
// - negative film: a base with an orange mask (less green, much less blue) and dye densities that grow with
//   the scene value (inverted), plus a per-frame density from the camera's exposure;
// - positive film: clear base, transmission growing with the scene value between a dense black and a clear
//   white.
// In negative mode the device balances its colour channels against the mask, so green and red read alike and
// blue a little lower; in positive mode all channels have the same gain.
constexpr double kFullScaleExposure = 300.0;
constexpr uint16_t kCalibrationWord = 150;  // positive film is scanned at twice this
constexpr uint16_t kFilmWord = 200;         // exposure of the film information's highlight levels

double frameDensity(FilmKind film, int frame);
double filmTransmittance(FilmKind film, int colourClass, int sceneValue, double density);
double borderTransmittance(FilmKind film, int colourClass);  // unexposed film past the frame
double channelGain(bool positiveMode, int colourClass);

// Levels for one scan, before the sensor's offsets: entry [class][s] for scene value s, entry [class][256]
// for the unexposed border. Linear in the exposure value; capped well above 255 so offsets cannot wrap.
struct LevelTable {
    std::array<std::array<uint16_t, 257>, kClasses> level{};
};
LevelTable makeLevelTable(FilmKind film, double density, bool positiveMode, uint16_t exposure);

inline uint8_t clipLevel(int value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace lx9emu
