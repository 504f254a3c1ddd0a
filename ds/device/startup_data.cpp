#include "device/startup_data.h"

#include <algorithm>

#include "device/device_state.h"
#include "lx9pict.h"

namespace lx9 {

namespace {

constexpr int kCalibrationLines = 32;
constexpr size_t kCalibrationHeader = 12;
constexpr size_t kFilmRecordBytes = 12;
constexpr size_t kFilmHeader = 5;

uint16_t Big16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

}  // namespace

void LoadCalibration(const uint8_t* calibration, const uint8_t* reference) {
    CreateShading(calibration + kCalibrationHeader, kCalibrationLines, ShadingMapFor(calibration[10]));
    PreShading(reference);
    calibrationWord = Big16(calibration + 2);
}

bool UnpackFilmInformation(const uint8_t* info) {
    const uint8_t count = info[4];
    if (count < 1 || count > kMaxFrames) return false;
    filmWord = Big16(info + 2);
    frameCount = count;
    for (int f = 1; f <= count; ++f) {
        const uint8_t* r = info + kFilmHeader + kFilmRecordBytes * (f - 1);
        frameHighlights[f][0] = r[10];  // blue
        frameHighlights[f][1] = r[6];   // green
        frameHighlights[f][2] = r[2];   // red
        frameBrightness[f] = static_cast<uint8_t>(Big16(r + 7) / 168);
    }
    return true;
}

void ComputeStartingExposures() {
    for (int f = 1; f <= frameCount && f <= kMaxFrames; ++f) {
        if (filmType == kFilmNegative) {
            frameBaseExposure[f] = GetNewCCDShutter(filmWord, frameHighlights[f]);
        } else if (filmType == kFilmPositive) {
            // A calibration word above 32767 would wrap to a short exposure: the longest one is taken
            // instead.
            frameBaseExposure[f] = static_cast<uint16_t>(std::min(2 * calibrationWord, 0xFFFF));
        }
        frameExposure[f] = frameBaseExposure[f];
    }
}

}  // namespace lx9
