#include "sensor.h"

#include <algorithm>
#include <cstdlib>

namespace lx9emu {
namespace {

uint64_t splitMix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Lamp fall-off towards both ends of the line (0..5 levels) plus element noise (0..8 levels).
int makeDeviation(uint32_t seed, int element) {
    const int position = element / 4;
    const int fromCentre = std::abs(2 * position - (kPositions - 1));  // 1..511
    const int falloff = 5 - fromCentre * 5 / kPositions;
    const int noise = static_cast<int>(splitMix((uint64_t{seed} << 16) ^ static_cast<uint64_t>(element)) % 9);
    return falloff + noise;
}

}  // namespace

Sensor::Sensor(uint32_t seed) {
    if (seed == 0) return;  // ideal sensor
    std::array<int, kClasses> low{255, 255, 255, 255};
    std::array<int, kClasses> high{0, 0, 0, 0};
    for (int e = 0; e < kElements; ++e) {
        const int d = makeDeviation(seed, e);
        deviation_[e] = static_cast<uint8_t>(d);
        low[e % kClasses] = std::min(low[e % kClasses], d);
        high[e % kClasses] = std::max(high[e % kClasses], d);
    }
    for (int e = 0; e < kElements; ++e) {
        negativeOffsets_[e] = static_cast<int16_t>(deviation_[e] - low[e % kClasses]);
        positiveOffsets_[e] = static_cast<int16_t>(deviation_[e] - high[e % kClasses]);
    }
}

int Sensor::calibrationLevel(int colourClass) {
    static constexpr std::array<int, kClasses> kLamp{124, 131, 118, 129};
    return kLamp[static_cast<size_t>(colourClass) % kClasses];
}

}  // namespace lx9emu
