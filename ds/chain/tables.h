// The fixed tables that steer the conversion of a frame (data in tone_curves.cpp and colour_tables.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "lx9pict.h"

namespace lx9 {

// A tone curve: 256 entries of red, green, blue output levels.
using ToneCurve = std::array<uint8_t, 768>;

constexpr int kNegativeCurves = 8;  // index = toneIndex; 7 is the identity for flat frames
extern const std::array<ToneCurve, kNegativeCurves> negativeToneCurves;
extern const ToneCurve positiveToneCurve;  // blended with the identity (BlendCurve factor 5) before use
constexpr int kPositiveBlendFactor = 5;

// The levels the curves are drawn through (between them the curves are linear).
constexpr int kToneSamples = 10;
extern const std::array<uint8_t, kToneSamples> toneSampleInputs;
// [curve][channel red, green, blue][sample]
extern const uint8_t negativeToneSamples[kNegativeCurves - 1][3][kToneSamples];
extern const uint8_t positiveToneSamples[3][kToneSamples];

extern const BaseData positiveBaseData;
// Rows new red, green, blue; columns old red, green, blue; 1/256 units.
extern const int16_t negativeColorMatrix[9];
extern const int16_t positiveColorMatrix[9];

// Exposure and tone constants of the negative measurement.
extern const uint16_t brightnessThresholds[6];
extern const int16_t colourDifferenceBounds[7];
extern const uint8_t contrastPairs[14];
constexpr uint8_t kFlatLimit = 40;

}  // namespace lx9
