#pragma once
#include <array>
#include <cstdint>
#include "geometry.h"

namespace lx9emu {

// The line sensor's fixed-pattern offsets. Each element reads d_e levels above an ideal element; the
// calibration lines show d_e, and the data source's shading tables remove it again. Seed 0 is an ideal
// sensor (every d_e = 0), which keeps layout checks exact.
class Sensor {
  public:
    explicit Sensor(uint32_t seed);

    int deviation(int element) const { return deviation_[element]; }

    // What a readout adds to an element's ideal level: the device references negative film to the darkest
    // element of each colour (d_e - min) and positive film to the brightest one (d_e - max), which is
    // exactly what the negative dark table and the positive gain table undo.
    const std::array<int16_t, kElements>& readoutOffsets(bool positive) const {
        return positive ? positiveOffsets_ : negativeOffsets_;
    }

    // Lamp level of each colour class seen without film during calibration (before the deviations).
    static int calibrationLevel(int colourClass);

  private:
    std::array<uint8_t, kElements> deviation_{};
    std::array<int16_t, kElements> negativeOffsets_{};
    std::array<int16_t, kElements> positiveOffsets_{};
};

}  // namespace lx9emu
