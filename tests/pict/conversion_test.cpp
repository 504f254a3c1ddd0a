// Negative/positive conversion, black offsets, colour matrix and grey.
#include <gtest/gtest.h>

#include <random>

#include "lx9pict.h"
#include "reference_model.h"

namespace {

using ref::Bytes;

Bytes identityCurve() {
    Bytes c(768);
    for (int i = 0; i < 768; ++i) c[i] = static_cast<uint8_t>(i / 3);
    return c;
}

// Red, green and blue outputs that differ, so a channel read from the wrong column shows.
Bytes distinctCurve() {
    Bytes c(768);
    for (int i = 0; i < 256; ++i)
        c[3 * i] = static_cast<uint8_t>(i / 2), c[3 * i + 1] = static_cast<uint8_t>(i / 3 + 7),
              c[3 * i + 2] = static_cast<uint8_t>(255 - i);
    return c;
}

// One row of grey pixels with the given levels.
Bytes greys(std::initializer_list<int> levels) {
    Bytes p;
    for (int v : levels) p.insert(p.end(), 3, static_cast<uint8_t>(v));
    return p;
}

PictImage row(Bytes& p) {
    return PictImage{p.data(), 1, static_cast<int16_t>(p.size() / 3)};
}

TEST(Conversion, NegativeLevels) {
    const BaseData base{{200, 200, 200, 40, 40, 40}};
    const Bytes curve = identityCurve();
    Bytes p = greys({200, 40, 250, 30});
    PictImage image = row(p);
    ChangeNegaType(&image, &base, curve.data());
    EXPECT_EQ(p, greys({0, 254, 0, 255}));
    EXPECT_EQ(image.data, p.data());
}

TEST(Conversion, PositiveLevels) {
    const BaseData base{{244, 244, 244, 18, 18, 18}};
    const Bytes curve = identityCurve();
    Bytes p = greys({18, 131, 250, 0});
    PictImage image = row(p);
    ChangePosiType(&image, &base, curve.data());
    EXPECT_EQ(p, greys({0, 127, 255, 0}));

    const BaseData full{{255, 255, 255, 0, 0, 0}};  // width 256: the stretch changes nothing
    std::mt19937 rng(6);
    const Bytes random = ref::randomBytes(rng, 300);
    p = random;
    image = row(p);
    ChangePosiType(&image, &full, curve.data());
    EXPECT_EQ(p, random);
}

TEST(Conversion, PassesMatchModel) {
    std::mt19937 rng(7);
    const Bytes curve = distinctCurve();
    const int16_t offsets[3] = {-10, 25, 3};
    const int16_t matrix[9] = {318, -62, 0, -12, 276, -8, -29, -10, 900};
    for (int round = 0; round < 20; ++round) {
        BaseData base;
        for (int c = 0; c < 3; ++c) {
            base.v[3 + c] = static_cast<uint8_t>(rng() % 200);
            base.v[c] = static_cast<uint8_t>(base.v[3 + c] + rng() % (256 - base.v[3 + c]));
        }
        const Bytes input = ref::randomBytes(rng, 3 * 7 * 9);
        Bytes p = input, expected = input;
        PictImage image{p.data(), 7, 9};
        ShiftGraph(&image, &base, offsets);
        ChangeNegaType(&image, &base, curve.data());
        ChangeRGBData(&image, matrix);
        ref::shiftGraph(expected, offsets);
        ref::negaType(expected, base, curve.data());
        ref::rgbData(expected, matrix);
        EXPECT_EQ(p, expected);

        p = input, expected = input;
        ChangePosiType(&image, &base, curve.data());
        ref::posiType(expected, base, curve.data());
        EXPECT_EQ(p, expected);
        EXPECT_EQ(image.data, p.data());
    }
}

TEST(Conversion, ShiftGraphClampsAndKeepsChannelOrder) {
    Bytes p = {250, 100, 5, 0, 255, 20};  // blue, green, red
    PictImage image = row(p);
    const int16_t raise[3] = {-10, -10, -10};
    ShiftGraph(&image, nullptr, raise);
    EXPECT_EQ(p, (Bytes{255, 110, 15, 10, 255, 30}));
    const int16_t perChannel[3] = {20, 0, -1};  // red, green, blue
    ShiftGraph(&image, nullptr, perChannel);
    EXPECT_EQ(p, (Bytes{255, 110, 0, 11, 255, 10}));
}

TEST(Conversion, MatrixAndGrey) {
    std::mt19937 rng(8);
    const Bytes input = ref::randomBytes(rng, 3 * 50);
    Bytes p = input;
    PictImage image = row(p);
    const int16_t identity[9] = {256, 0, 0, 0, 256, 0, 0, 0, 256};
    ChangeRGBData(&image, identity);
    EXPECT_EQ(p, input);

    const int16_t positive[9] = {295, -21, -18, -52, 308, 0, 0, -52, 308};  // rows sum to 256
    p = greys({0, 1, 77, 254, 255});
    image = row(p);
    ChangeRGBData(&image, positive);
    EXPECT_EQ(p, greys({0, 1, 77, 254, 255}));

    const int16_t extreme[9] = {-512, 0, 0, 3000, 0, 0, 0, 0, 1};  // below 0, above 65535, 10 / 256
    p = {10, 20, 30};
    image = row(p);
    ChangeRGBData(&image, extreme);
    EXPECT_EQ(p, (Bytes{0, 255, 0}));

    p = {10, 20, 31};
    image = row(p);
    ChangeMonoData(&image);
    EXPECT_EQ(p, (Bytes{20, 20, 20}));
}

TEST(Conversion, DegenerateInput) {
    const Bytes curve = identityCurve();
    Bytes p = greys({10, 200});
    for (int16_t rows : {0, -3}) {
        PictImage image{p.data(), rows, 2};
        const BaseData base{{200, 200, 200, 40, 40, 40}};
        ChangeNegaType(&image, &base, curve.data());
        ChangeMonoData(&image);
        EXPECT_EQ(p, greys({10, 200}));
        EXPECT_EQ(image.data, p.data());
    }
    // A highlight below its shadow has no level width: the channel is cut at the highlight.
    const BaseData inverted{{100, 100, 100, 101, 150, 200}};
    PictImage image = row(p);
    ChangeNegaType(&image, &inverted, curve.data());
    EXPECT_EQ(p, greys({255, 0}));
}

}  // namespace
