// Refinement of a frame's BaseData (colour balance, back light, contrast), the tone class of its
// brightness and the exposure for its next scan.
#include <algorithm>
#include <cstdint>

#include "lx9pict.h"
#include "pict_common.h"

using lx9pict::clampByte;

namespace {

enum : int { kHighBlue, kHighGreen, kHighRed, kShadowBlue, kShadowGreen, kShadowRed };

constexpr int kToneIndices = 7;  // rows of the contrast pairs table
constexpr int16_t kFlatTone = 7;

// Moves a level so that its difference to green becomes the bound it crossed. The result stays within the
// byte: a bound that points outside 0..255 stops at the end of the range instead of wrapping.
void holdDifference(uint8_t& level, int difference, int bound) {
    level = clampByte(level - (difference - bound));
}

}  // namespace

int16_t BrightLUT(const uint16_t* thresholds6, uint8_t level) {
    for (int16_t k = 0; k < 6; ++k)
        if (level < thresholds6[k]) return k;
    return 6;
}

void ColorFeriaBase(BaseData* base, int16_t* diffs4, const int16_t* limits7, void* /*spare*/) {
    uint8_t* v = base->v;
    const int d0 = v[kHighRed] - v[kHighGreen];
    const int d1 = v[kHighBlue] - v[kHighGreen];
    const int d2 = v[kShadowRed] - v[kShadowGreen];
    const int d3 = v[kShadowBlue] - v[kShadowGreen];
    diffs4[0] = static_cast<int16_t>(d0);
    diffs4[1] = static_cast<int16_t>(d1);
    diffs4[2] = static_cast<int16_t>(d2);
    diffs4[3] = static_cast<int16_t>(d3);

    auto bound = [](uint8_t& level, int difference, int upper, int lower) {
        if (difference > upper)
            holdDifference(level, difference, upper);
        else if (difference < lower)
            holdDifference(level, difference, lower);
    };
    bound(v[kHighRed], d0, limits7[0], limits7[1]);
    bound(v[kHighBlue], d1, limits7[2], limits7[3]);
    bound(v[kShadowRed], d2, limits7[4], limits7[5]);
    if (d3 > limits7[6]) holdDifference(v[kShadowBlue], d3, limits7[6]);
}

void BackLightBase(BaseData* base, const GData* g) {
    if (g->difference <= 0) return;
    const int a = std::min(g->difference >> 1, 7);
    const int h = a >> 1;
    uint8_t* v = base->v;
    // A highlight below h stops at 0: wrapping would turn a dark channel's highlight into white.
    for (int i : {kHighBlue, kHighGreen, kHighRed}) v[i] = clampByte(v[i] - h);
    for (int i : {kShadowRed, kShadowGreen, kShadowBlue})
        if (v[i] > a) v[i] = static_cast<uint8_t>(v[i] - a);
}

void BrightBase(int16_t* tone, BaseData* base, const uint8_t* pairs14, int16_t* offsets3, uint8_t flatLimit) {
    uint8_t* v = base->v;
    const int range = static_cast<uint8_t>(v[kHighGreen] - v[kShadowGreen]);
    const int k = *tone;

    if (range < 26 && k < 5) {  // flat frame: fixed levels and the identity curve
        const auto offset = static_cast<int16_t>((v[kShadowGreen] + v[kHighGreen]) / 2 - 130);
        offsets3[0] = offsets3[1] = offsets3[2] = offset;
        *base = BaseData{{235, 237, 233, 71, 85, 93}};
        *tone = kFlatTone;
        return;
    }

    // Red, green, blue: the order of the offsets.
    static constexpr int kHigh[3] = {kHighRed, kHighGreen, kHighBlue};
    static constexpr int kShadow[3] = {kShadowRed, kShadowGreen, kShadowBlue};
    int shadow[3];
    int highlight[3];
    for (int c = 0; c < 3; ++c) {
        const int s = v[kShadow[c]];
        const int offset = s > 50 ? s - 50 : 0;
        offsets3[c] = static_cast<int16_t>(offset);
        shadow[c] = s - offset;
        highlight[c] = std::max(v[kHigh[c]] - offset, 51);
    }

    // A tone index without a row of contrast pairs gets the black offsets only.
    if (k >= 0 && k < kToneIndices) {
        const int low = pairs14[2 * k];
        const int high = pairs14[2 * k + 1];
        for (int c = 0; c < 3; ++c) {
            if (range < low) {
                shadow[c] = std::max(shadow[c] - 3, 0);
                highlight[c] = std::min(highlight[c] - range + low, 255);
            } else if (range > high) {
                const int s = (range - high) / 2;
                shadow[c] = std::min(shadow[c] + s, 255);
                highlight[c] = std::max(highlight[c] - s, shadow[c] + 1);
            }
        }
        if (range < low && range < flatLimit) *tone = kFlatTone;
    }

    for (int c = 0; c < 3; ++c) {
        v[kShadow[c]] = static_cast<uint8_t>(shadow[c]);
        v[kHigh[c]] = static_cast<uint8_t>(highlight[c]);
    }
}

uint16_t GetNewCCDShutter(uint16_t shutter, const uint8_t* highlights3) {
    int m = std::max({highlights3[0], highlights3[1], highlights3[2]});
    if (m < 16) m += 1;  // also keeps the divisor above zero
    // Target level 230.4: shutter x 230.4 / m, in 32 bits (shutter x 2304 overflows 16).
    const uint32_t exposure = static_cast<uint32_t>(shutter) * 2304u / static_cast<uint32_t>(m * 10);
    return static_cast<uint16_t>(std::min<uint32_t>(exposure, 655));
}
