#pragma once
#include <cstdint>
#include <vector>
#include "scanner_model.h"
#include "sensor.h"

namespace lx9emu {

constexpr int kCalibrationBytes = 65548;
constexpr int kCalibrationLines = 32;
constexpr int kCalibrationHeader = 12;
constexpr uint8_t kRangeCode = 1;  // readings map to 768 + v
constexpr int kReferenceBytes = 1024;
constexpr int kStatusBlockBytes = 31;

// Bytes 2-3 calibration word, byte 10 range code, from byte 12 32 lines of 2048 readings of the lamp without
// film: class level + the element's deviation, +-1 of line-to-line noise that cancels over the 32 lines, so
// each element's average is exactly its level plus its deviation.
std::vector<uint8_t> buildCalibrationData(const Sensor& sensor);

// 10-bit value x to 8-bit output: x - 768, clamped to 0..255; the inverse of the range code's mapping.
std::vector<uint8_t> buildShadingReference();

// Bytes 0-1 the length that follows (29), byte 2 frame count, byte 3 film (0 negative, 1 positive), bytes 4-5
// the calibration word, the rest zero. The data source reads it and throws it away.
std::vector<uint8_t> buildStatusBlock(const CartridgeSpec& cartridge);

}  // namespace lx9emu
