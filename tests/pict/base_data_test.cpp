// Exposure and tone base data: frame measurements and the refinements of BaseData.
#include <gtest/gtest.h>

#include <algorithm>

#include "lx9pict.h"
#include "reference_model.h"

namespace {

using ref::Bytes;

bool evenLayout(int mode, int line) {
    return (line % 2 == 0) == (mode == 1);
}

TEST(BaseData, UniformIndexFrame) {
    const Bytes raw(112 * 192, 128);
    BaseData base;
    GetBaseData(&base, raw.data(), 0);
    for (uint8_t v : base.v) EXPECT_EQ(v, 128);
    uint8_t grid[64];
    uint32_t mean = 0;
    GetIntegData(raw.data(), 0, grid, &mean);
    EXPECT_EQ(Bytes(grid, grid + 64), Bytes(64, 128));
    EXPECT_EQ(mean, 128u);
    GData g;
    CreateGData(grid, &g);
    EXPECT_EQ(g.centre, 128);
    EXPECT_EQ(g.overall, 128);
    EXPECT_EQ(g.difference, 0);
}

// A standard frame whose even lines read G, R, G, B and odd lines R, G, B, G, every colour at its own level:
// mode 1 reads it as it is, mode 2 with the layouts exchanged and so mixes the colours.
TEST(BaseData, StandardLayoutsAlternate) {
    Bytes raw(896 * 1024);
    for (int l = 0; l < 896; ++l)
        for (int u = 0; u < 256; ++u) {
            static constexpr uint8_t kEven[4] = {100, 50, 100, 200}, kOdd[4] = {50, 100, 200, 100};
            std::copy_n(l % 2 == 0 ? kEven : kOdd, 4, &raw[l * 1024 + 4 * u]);
        }
    BaseData base;
    GetBaseData(&base, raw.data(), 1);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{200, 100, 50, 200, 100, 50}));
    GetBaseData(&base, raw.data(), 2);  // red and blue read 100 throughout, green half 50 and half 200
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{100, 200, 100, 100, 50, 100}));

    BaseData untouched{{1, 2, 3, 4, 5, 6}};
    GetBaseData(&untouched, raw.data(), 4);  // unknown readout: record kept
    EXPECT_EQ(untouched.v[5], 6);
}

// Index frame of grey 100 with single lines or columns of one colour changed. 5529 samples per colour
// (lines 8..104, units 4..60), so 1 % is 55: a line of 57 or a column of 97 samples moves a level.
TEST(BaseData, MarginsAndThreshold) {
    auto frame = [](auto&& edit) {
        Bytes raw(112 * 192, 100);
        for (int l = 0; l < 112; ++l)
            for (int u = 0; u < 64; ++u) edit(l, u, &raw[l * 192 + 3 * u]);
        BaseData base;
        GetBaseData(&base, raw.data(), 0);
        return Bytes(base.v, base.v + 6);
    };
    // The first and last used line and unit count: red shadow, green shadow, blue shadow, red highlight.
    EXPECT_EQ(frame([](int l, int u, uint8_t* p) {
                  if (l == 8) p[0] = 0;
                  if (l == 104) p[1] = 0;
                  if (u == 4) p[2] = 0;
                  if (u == 60) p[0] = 255;
              }),
              (Bytes{100, 100, 255, 0, 0, 0}));
    // The lines and units outside them do not.
    EXPECT_EQ(frame([](int l, int u, uint8_t* p) {
                  if (l == 7 || l == 105 || u == 3 || u == 61) p[0] = p[1] = p[2] = 0;
              }),
              Bytes(6, 100));
    // The shadow is the first level whose running count exceeds 1 %: 55 samples below do not move it.
    int darkSamples = 0;
    auto dark = [&darkSamples](int limit) {
        return [&darkSamples, limit](int l, int u, uint8_t* p) {
            if (l >= 8 && l <= 104 && u >= 4 && u <= 60 && darkSamples < limit) p[0] = 10, ++darkSamples;
        };
    };
    EXPECT_EQ(frame(dark(55))[5], 100);
    darkSamples = 0;
    EXPECT_EQ(frame(dark(56))[5], 10);
}

TEST(BaseData, GridTakesTheGreenBytesOfEachLayout) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        const bool index = mode == 0;
        const int lines = index ? 112 : 896, samples = index ? 64 : 512, lineBytes = index ? 192 : 1024;
        Bytes raw(static_cast<size_t>(lines) * lineBytes, 255);
        for (int l = 0; l < lines; ++l)
            for (int s = 0; s < samples; ++s) {
                const int at = index ? 1 + 3 * s : (evenLayout(mode, l) ? 0 : 1) + 2 * s;
                raw[l * lineBytes + at] =
                    static_cast<uint8_t>(8 * (l / (lines / 8)) + s / (samples / 8) + (l + s) % 2);
            }
        uint8_t grid[64];
        uint32_t mean = 0;
        GetIntegData(raw.data(), static_cast<uint16_t>(mode), grid, &mean);
        for (int cell = 0; cell < 64; ++cell) EXPECT_EQ(grid[cell], cell) << cell;  // the +1 halves truncate
        EXPECT_EQ(mean, 32u);                                                       // 31.5 + 0.5
    }
}

TEST(BaseData, CentreAgainstOverall) {
    uint8_t grid[64];
    for (int i = 0; i < 64; ++i) grid[i] = (i / 8 >= 2 && i / 8 <= 5 && i % 8 >= 2 && i % 8 <= 5) ? 200 : 101;
    GData g;
    CreateGData(grid, &g);
    EXPECT_EQ(g.centre, 200);
    EXPECT_EQ(g.overall, (16 * 200 + 48 * 101) >> 6);
    EXPECT_EQ(g.difference, 200 - 125);
}

TEST(Exposure, BrightnessClasses) {
    const uint16_t thresholds[6] = {23, 33, 48, 71, 101, 135};
    const std::pair<int, int> cases[] = {{0, 0},  {22, 0}, {23, 1},  {32, 1},  {33, 2},
                                         {70, 3}, {71, 4}, {134, 5}, {135, 6}, {255, 6}};
    for (auto [level, cls] : cases)
        EXPECT_EQ(BrightLUT(thresholds, static_cast<uint8_t>(level)), cls) << level;
}

TEST(Exposure, ColourDifferencesAreBounded) {
    const int16_t limits[7] = {10, -10, 5, -32, 29, -42, 16};
    BaseData base{{100, 200, 240, 90, 20, 10}};  // blue 100 (d1 -100), red 240 (d0 40); shadows d2 -10, d3 70
    int16_t diffs[4];
    ColorFeriaBase(&base, diffs, limits, nullptr);
    EXPECT_EQ(diffs[0], 40);
    EXPECT_EQ(diffs[1], -100);
    EXPECT_EQ(diffs[2], -10);
    EXPECT_EQ(diffs[3], 70);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{168, 200, 210, 36, 20, 10}));

    base = BaseData{{250, 100, 60, 0, 60, 100}};  // red below, blue above, red shadow above, blue shadow low
    ColorFeriaBase(&base, diffs, limits, nullptr);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{105, 100, 90, 0, 60, 89}));

    // Bounds that point outside 0..255 stop at the end of the range.
    const int16_t wild[7] = {-100, -200, 300, 220, 0, 0, 0};
    base = BaseData{{200, 50, 60, 0, 0, 0}};
    ColorFeriaBase(&base, diffs, wild, nullptr);
    EXPECT_EQ(base.v[2], 0);
    EXPECT_EQ(base.v[0], 255);
}

TEST(Exposure, BackLight) {
    BaseData base{{200, 210, 205, 40, 5, 7}};
    GData g{0, 0, 1};
    BackLightBase(&base, &g);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{200, 210, 205, 40, 5, 7}));
    g.difference = 40;  // a = 7, h = 3; shadows at or below 7 stay
    BackLightBase(&base, &g);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{197, 207, 202, 33, 5, 7}));
    base = BaseData{{2, 210, 205, 40, 50, 60}};  // a highlight below h stops at 0
    BackLightBase(&base, &g);
    EXPECT_EQ(base.v[0], 0);
}

TEST(Exposure, BrightBasePaths) {
    const uint8_t pairs[14] = {110, 166, 110, 182, 111, 197, 115, 202, 108, 195, 95, 178, 80, 153};
    int16_t offsets[3] = {};
    int16_t tone = 2;
    BaseData base{{160, 150, 155, 120, 130, 125}};  // range 20
    BrightBase(&tone, &base, pairs, offsets, 40);
    EXPECT_EQ(tone, 7);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{235, 237, 233, 71, 85, 93}));
    EXPECT_EQ(offsets[0], 10);
    EXPECT_EQ(offsets[2], 10);

    tone = 2;  // range 26 is not flat: main path, row 2 (111, 197)
    base = BaseData{{160, 156, 155, 120, 130, 125}};
    BrightBase(&tone, &base, pairs, offsets, 40);
    EXPECT_EQ(tone, 7);
    EXPECT_EQ(offsets[1], 80);

    tone = 5;  // too little contrast: shadows 130 -> offset 80, shadow 50 - 3, highlight 70 - 20 + 95
    base = BaseData{{160, 150, 155, 120, 130, 125}};
    BrightBase(&tone, &base, pairs, offsets, 40);
    EXPECT_EQ(tone, 7);
    EXPECT_EQ((std::vector<int>{offsets[0], offsets[1], offsets[2]}), (std::vector<int>{75, 80, 70}));
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{165, 145, 155, 47, 47, 47}));

    tone = 0;  // too much contrast: range 200, s = 17
    base = BaseData{{230, 240, 60, 40, 40, 55}};
    BrightBase(&tone, &base, pairs, offsets, 40);
    EXPECT_EQ(tone, 0);
    EXPECT_EQ(offsets[0], 5);
    EXPECT_EQ(Bytes(base.v, base.v + 6),
              (Bytes{213, 223, 68, 57, 57, 67}));  // red highlight: above its shadow

    tone = 7;  // no contrast row for tone 7: black offsets only
    base = BaseData{{230, 240, 220, 60, 40, 30}};
    BrightBase(&tone, &base, pairs, offsets, 40);
    EXPECT_EQ(tone, 7);
    EXPECT_EQ(Bytes(base.v, base.v + 6), (Bytes{220, 240, 220, 50, 40, 30}));
}

TEST(Exposure, NewShutter) {
    const uint8_t typical[3] = {200, 180, 230}, dark[3] = {0, 0, 0}, dim[3] = {15, 3, 9},
                  bright[3] = {255, 0, 0};
    EXPECT_EQ(GetNewCCDShutter(100, typical), 100);
    EXPECT_EQ(GetNewCCDShutter(2, dark), 460);
    EXPECT_EQ(GetNewCCDShutter(3, dark), 655);
    EXPECT_EQ(GetNewCCDShutter(40, dim), 40 * 2304 / 160);
    EXPECT_EQ(GetNewCCDShutter(60000, bright), 655);  // 60000 x 2304 needs 32 bits
    EXPECT_EQ(GetNewCCDShutter(700, bright), 700 * 2304 / 2550);
}

}  // namespace
