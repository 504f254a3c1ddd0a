#include "device_data.h"

#include <algorithm>

#include "exposure.h"

namespace lx9emu {

std::vector<uint8_t> buildCalibrationData(const Sensor& sensor) {
    std::vector<uint8_t> data(kCalibrationBytes, 0);
    data[2] = kCalibrationWord >> 8;
    data[3] = kCalibrationWord & 0xFF;
    data[10] = kRangeCode;
    uint8_t* out = &data[kCalibrationHeader];
    for (int line = 0; line < kCalibrationLines; ++line)
        for (int e = 0; e < kElements; ++e) {
            const int noise = (line + e) % 2 == 0 ? 1 : -1;
            *out++ = clipLevel(Sensor::calibrationLevel(e % kClasses) + sensor.deviation(e) + noise);
        }
    return data;
}

std::vector<uint8_t> buildShadingReference() {
    std::vector<uint8_t> table(kReferenceBytes);
    for (int x = 0; x < kReferenceBytes; ++x) table[x] = static_cast<uint8_t>(std::clamp(x - 768, 0, 255));
    return table;
}

std::vector<uint8_t> buildStatusBlock(const CartridgeSpec& cartridge) {
    std::vector<uint8_t> block(kStatusBlockBytes, 0);
    block[1] = kStatusBlockBytes - 2;
    block[2] = static_cast<uint8_t>(cartridge.frames);
    block[3] = cartridge.film == FilmKind::Positive ? 1 : 0;
    block[4] = kCalibrationWord >> 8;
    block[5] = kCalibrationWord & 0xFF;
    return block;
}

}  // namespace lx9emu
