#include "chain/process_frame.h"

#include <cstring>

#include "chain/blend_curve.h"
#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/shading.h"
#include "chain/tables.h"
#include "chain/transform_image.h"
#include "device/device_state.h"
#include "device/error_report.h"

namespace lx9 {

namespace {

constexpr int kSensorColumns = 1024;  // extended readout columns across the line (two elements each)

// The library's geometry is fixed for index and standard frames; an extended crop must lie on the sensor,
// match the readout it was scanned with, and have rows without filler (multiples of 4) for the turns.
bool GeometryFits(int lines, int width, int mode) {
    switch (mode) {
        case kModeIndex:
            return lines == 112 && width == 64;
        case kModeStandard:
            return lines == 896 && width == 512;
        case kModeExtended: {
            ShadingGeometry shading{};
            if (!ShadingGeometryFor(mode, &shading)) return false;
            return lines >= 4 && width >= 4 && lines % 4 == 0 && width % 4 == 0 && shading.lines == lines &&
                   shading.width == width && shading.start + width <= kSensorColumns;
        }
        default:
            return false;
    }
}

void Extract(uint8_t* buffer, const uint8_t* raw, int lines, int width, int mode) {
    const auto w = static_cast<int16_t>(width);
    const auto l = static_cast<int16_t>(lines);
    if (mode == kModeIndex) {
        GetIndexData(buffer, raw, w, l);
    } else if (mode == kModeStandard) {
        GetStandardData(buffer, raw, w, l);
    } else {
        GetExtendData(buffer, raw, w, l);
    }
}

// Measures an index or standard negative: black and white points, tone index and black offsets. Returns the
// exposure for the frame's next scan.
uint16_t MeasureNegative(const uint8_t* raw, int mode, BaseData* base, uint16_t shutter, int frameIndex) {
    GetBaseData(base, raw, static_cast<uint16_t>(mode));
    const uint8_t highlights[3] = {base->v[0], base->v[1], base->v[2]};
    uint8_t grid[64] = {};
    uint32_t mean = 0;
    GetIntegData(raw, static_cast<uint16_t>(mode), grid, &mean);
    GData g{};
    CreateGData(grid, &g);
    toneIndex = BrightLUT(brightnessThresholds, frameBrightness[frameIndex + 1]);
    if (toneIndex < 0 || toneIndex > 6) toneIndex = 6;  // the contrast pairs have seven rows
    int16_t differences[4] = {};
    uint8_t spare[8] = {};
    ColorFeriaBase(base, differences, colourDifferenceBounds, spare);
    BackLightBase(base, &g);
    BrightBase(&toneIndex, base, contrastPairs, shiftOffsets, kFlatLimit);
    return mode == kModeIndex ? GetNewCCDShutter(shutter, highlights) : shutter;
}

void ConvertNegative(PictImage* image, uint8_t* buffer, BaseData* base) {
    const int curve = (toneIndex >= 0 && toneIndex < kNegativeCurves) ? toneIndex : kNegativeCurves - 1;
    ShiftGraph(image, base, shiftOffsets);
    image->data = buffer;
    ChangeNegaType(image, base, negativeToneCurves[curve].data());
    image->data = buffer;
    ChangeRGBData(image, negativeColorMatrix);
    image->data = buffer;
}

void ConvertPositive(PictImage* image, uint8_t* buffer) {
    uint8_t curve[768];
    BlendCurve(positiveToneCurve.data(), curve, kPositiveBlendFactor);
    ChangePosiType(image, &positiveBaseData, curve);
    image->data = buffer;
    ChangeRGBData(image, positiveColorMatrix);
    image->data = buffer;
}

// Into the orientation the rest of the data source uses: width rows of lines pixels.
void Orient(uint8_t* buffer, uint8_t* output, int lines, int width, int mode, int32_t turn) {
    if (mode == kModeIndex) {
        TransformImage(width, lines, buffer, output, turn ? 270 : 90);
        return;
    }
    std::memcpy(output, buffer, static_cast<size_t>(lines) * width * 3);
    TransformImage(width, lines, output, buffer, 270);
    TransformImage(lines, width, buffer, output, 500);
}

}  // namespace

uint16_t ProcessFrame(ReportTarget window, PictImage* image, uint8_t* raw, int lines, int width, int mode,
                      BaseData* base, int32_t turn, uint16_t shutter, int frameIndex) {
    if (image == nullptr || image->data == nullptr || raw == nullptr || base == nullptr) return 0;
    if (frameIndex < 0 || frameIndex >= kMaxFrames || !GeometryFits(lines, width, mode)) return 0;

    uint8_t* buffer = image->data;
    ApplyShading(mode, raw);
    Extract(buffer, raw, lines, width, mode);
    image->rows = static_cast<int16_t>(lines);
    image->cols = static_cast<int16_t>(width);

    uint16_t result = shutter;
    if (filmType == kFilmNegative) {
        // An extended crop is not measured: it keeps the base data, tone index and offsets of the last frame
        // measured, normally the standard preview it was cut from.
        if (mode != kModeExtended) result = MeasureNegative(raw, mode, base, shutter, frameIndex);
        ConvertNegative(image, buffer, base);
    } else if (filmType == kFilmPositive) {
        ConvertPositive(image, buffer);
    }

    uint8_t* output = AllocLockedBlock(static_cast<size_t>(lines) * width * 3);
    if (output == nullptr) {
        memoryFailed = 1;
        ReportDeviceError(window);
        return 0;
    }
    Orient(buffer, output, lines, width, mode, turn);
    image->data = output;
    image->rows = static_cast<int16_t>(width);
    image->cols = static_cast<int16_t>(lines);
    FreeLockedBlock(buffer);
    return result;
}

}  // namespace lx9
