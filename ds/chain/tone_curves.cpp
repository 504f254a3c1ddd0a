// The tone curves, drawn straight between their sample levels (rounded to the nearest level).
#include "chain/tables.h"

namespace lx9 {

constexpr std::array<uint8_t, kToneSamples> toneSampleInputs = {0, 16, 32, 64, 96, 128, 160, 192, 224, 255};

// Negative curves 0..6, red / green / blue outputs at the sample inputs; higher curves lift shadows and
// mid-tones more.
constexpr uint8_t negativeToneSamples[kNegativeCurves - 1][3][kToneSamples] = {
    {{5, 12, 21, 40, 64, 93, 126, 161, 198, 232},
     {5, 5, 8, 24, 48, 78, 112, 150, 190, 232},
     {5, 7, 12, 27, 49, 76, 106, 142, 184, 233}},
    {{5, 12, 20, 40, 65, 93, 125, 160, 197, 233},
     {5, 5, 9, 25, 49, 79, 113, 150, 191, 233},
     {5, 5, 9, 25, 48, 74, 104, 139, 181, 233}},
    {{5, 11, 19, 39, 64, 93, 125, 160, 197, 234},
     {5, 5, 9, 25, 49, 79, 113, 150, 191, 233},
     {5, 5, 9, 23, 45, 71, 103, 139, 183, 235}},
    {{5, 12, 21, 43, 70, 101, 134, 169, 203, 232},
     {5, 9, 15, 32, 55, 85, 121, 161, 200, 233},
     {5, 9, 14, 29, 51, 79, 114, 152, 194, 234}},
    {{5, 17, 29, 54, 82, 113, 145, 178, 209, 232},
     {5, 14, 24, 46, 72, 101, 134, 168, 203, 234},
     {5, 14, 23, 43, 65, 93, 126, 163, 201, 235}},
    {{5, 27, 45, 75, 101, 129, 159, 190, 216, 232},
     {5, 22, 38, 66, 93, 121, 151, 181, 210, 232},
     {5, 22, 37, 61, 84, 110, 142, 176, 210, 233}},
    {{5, 34, 58, 94, 122, 148, 173, 198, 219, 232},
     {5, 29, 51, 85, 115, 141, 167, 192, 215, 232},
     {5, 29, 49, 79, 104, 129, 158, 188, 215, 232}},
};

constexpr uint8_t positiveToneSamples[3][kToneSamples] = {
    {0, 22, 44, 78, 101, 116, 131, 153, 192, 255},
    {1, 24, 44, 77, 98, 113, 127, 149, 188, 255},
    {8, 24, 40, 69, 91, 106, 120, 140, 181, 255},
};

namespace {

constexpr uint8_t Interpolate(const uint8_t (&outputs)[kToneSamples], int input) {
    int k = 0;
    while (k + 2 < kToneSamples && input > toneSampleInputs[k + 1]) ++k;
    const int x0 = toneSampleInputs[k], x1 = toneSampleInputs[k + 1];
    const int y0 = outputs[k], y1 = outputs[k + 1];
    return static_cast<uint8_t>(y0 + (2 * (y1 - y0) * (input - x0) + (x1 - x0)) / (2 * (x1 - x0)));
}

constexpr ToneCurve Draw(const uint8_t (&channels)[3][kToneSamples]) {
    ToneCurve curve{};
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) curve[3 * i + c] = Interpolate(channels[c], i);
    }
    return curve;
}

constexpr ToneCurve Identity() {
    ToneCurve curve{};
    for (int i = 0; i < 768; ++i) curve[i] = static_cast<uint8_t>(i / 3);
    return curve;
}

constexpr std::array<ToneCurve, kNegativeCurves> DrawNegatives() {
    std::array<ToneCurve, kNegativeCurves> curves{};
    for (int n = 0; n < kNegativeCurves - 1; ++n) curves[n] = Draw(negativeToneSamples[n]);
    curves[kNegativeCurves - 1] = Identity();
    return curves;
}

}  // namespace

constinit const std::array<ToneCurve, kNegativeCurves> negativeToneCurves = DrawNegatives();
constinit const ToneCurve positiveToneCurve = Draw(positiveToneSamples);

}  // namespace lx9
