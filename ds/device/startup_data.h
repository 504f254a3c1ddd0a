// What device start-up makes of the scanner's data blocks: the shading tables from the calibration data,
// the cartridge's per-frame values from the film information and each frame's starting exposure.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9 {

constexpr size_t kCalibrationBytes = 65548;
constexpr size_t kShadingReferenceBytes = 1024;
constexpr size_t kFilmInformationBytes = 485;  // 5 + 40 records of 12 bytes

// Builds the library's shading tables: the 10-bit mapping chosen by byte 10 of the calibration reply,
// _CreateShading over its 32 lines from byte 12, then _PreShading with the reference table. Records
// calibrationWord (bytes 2-3).
void LoadCalibration(const uint8_t* calibration, const uint8_t* reference);

// The 10-bit mapping for a range code: 4 -> 512 + 2v, 6 -> 4v, anything else -> 768 + v.
const uint16_t* ShadingMapFor(uint8_t rangeCode);

// filmWord, frameCount and, per frame, the highlights (r10, r6, r2) and the brightness (word r7 r8 / 168).
// False, with nothing changed, when the frame count is not 1..40: the block holds 40 records.
bool UnpackFilmInformation(const uint8_t* info);

// frameBaseExposure and frameExposure of frames 1..frameCount: negative film from the highlights and
// filmWord, positive film twice calibrationWord (at most 65535).
void ComputeStartingExposures();

}  // namespace lx9
