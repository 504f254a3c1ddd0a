// Readout extraction: index, extended and the standard checkerboard interpolation.
#include <gtest/gtest.h>

#include <random>

#include "lx9pict.h"
#include "reference_model.h"

namespace {

using ref::Bytes;

Bytes pixel(const Bytes& image, int width, int line, int x) {
    const size_t at = 3 * (static_cast<size_t>(line) * width + x);
    return Bytes(image.begin() + at, image.begin() + at + 3);
}

TEST(Extraction, IndexSwapsToBlueGreenRed) {
    Bytes raw(64 * 112 * 3, 0);
    raw[0] = 10, raw[1] = 20, raw[2] = 30;
    raw[raw.size() - 3] = 1, raw[raw.size() - 1] = 3;
    Bytes out(raw.size(), 99);
    GetIndexData(out.data(), raw.data(), 64, 112);
    EXPECT_EQ(pixel(out, 64, 0, 0), (Bytes{30, 20, 10}));
    EXPECT_EQ(pixel(out, 64, 111, 63), (Bytes{3, 0, 1}));
}

TEST(Extraction, ExtendedPairsShareBlue) {
    const Bytes raw = {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34};  // 2 lines of 2 groups
    Bytes out(2 * 4 * 3, 0);
    GetExtendData(out.data(), raw.data(), 4, 2);
    EXPECT_EQ(out, (Bytes{3,  2,  1,  3,  4,  11, 13, 12, 11, 13, 14, 11,  // last group: its own red
                          23, 22, 21, 23, 24, 31, 33, 32, 31, 33, 34, 31}));
}

TEST(Extraction, StandardUniformGreyStaysGrey) {
    const Bytes raw(1024 * 896, 100);
    Bytes out(3 * 512 * 896, 0);
    GetStandardData(out.data(), raw.data(), 512, 896);
    EXPECT_EQ(out, Bytes(out.size(), 100));
}

TEST(Extraction, StandardMatchesModel) {
    std::mt19937 rng(4);
    for (int lines : {896, 2, 6}) {
        SCOPED_TRACE(lines);
        const Bytes raw = ref::randomBytes(rng, 1024 * static_cast<size_t>(lines));
        Bytes out(3 * 512 * static_cast<size_t>(lines), 0), expected(out.size(), 0);
        GetStandardData(out.data(), raw.data(), 512, static_cast<int16_t>(lines));
        ref::standardData(expected.data(), raw.data(), 512, lines);
        EXPECT_EQ(out, expected);
    }
}

// Lines 0..3, every byte 100 except those set by the cases below.
struct SmallFrame {
    Bytes raw = Bytes(4 * 1024, 100);
    Bytes out = Bytes(3 * 512 * 4, 0);
    uint8_t& at(int line, int pair, int byte) { return raw[line * 1024 + 4 * pair + byte]; }
    Bytes run(int lines = 4) {
        GetStandardData(out.data(), raw.data(), 512, static_cast<int16_t>(lines));
        return out;
    }
};

TEST(Extraction, StandardInterpolationClampsAtBothEnds) {
    SmallFrame f;
    f.at(2, 1, 0) = 0;  // even line 2, pixel A of pair 1: green 0 against 100 above and below
    f.at(1, 1, 0) = 90, f.at(3, 1, 0) = 97;  // red above/below: 0 - 100 + 93 = -7
    f.at(2, 2, 0) = 255;                     // pair 2: green 255, so red = 155 + 145 = 300
    f.at(1, 2, 0) = 150, f.at(3, 2, 0) = 141;
    const Bytes out = f.run();
    EXPECT_EQ(pixel(out, 512, 2, 2)[2], 0);
    EXPECT_EQ(pixel(out, 512, 2, 4)[2], 255);
    EXPECT_EQ(pixel(out, 512, 2, 4)[0], 255);  // blue 155 + 100
}

TEST(Extraction, StandardBorderCases) {
    SmallFrame f;
    for (int line = 0; line < 4; ++line)
        for (int pair = 0; pair < 256; ++pair)
            for (int b = 0; b < 4; ++b)
                f.at(line, pair, b) = static_cast<uint8_t>(10 * line + 3 * b + pair % 5);
    const Bytes out = f.run();
    // Even line, pair 0 (line 2 as well as line 0): pixel A takes pixel B of its own pair.
    EXPECT_EQ(pixel(out, 512, 2, 0), (Bytes{f.at(2, 0, 3), f.at(2, 0, 0), f.at(2, 0, 1)}));
    // Line 0, later pairs: pixel A takes pixel B of the pair to its left.
    EXPECT_EQ(pixel(out, 512, 0, 6), (Bytes{f.at(0, 2, 3), f.at(0, 3, 0), f.at(0, 2, 1)}));
    // Odd line, last pair: pixel B takes pixel A of its own pair.
    EXPECT_EQ(pixel(out, 512, 1, 511), (Bytes{f.at(1, 255, 2), f.at(1, 255, 3), f.at(1, 255, 0)}));
    // Last line (odd), any pair: the same.
    EXPECT_EQ(pixel(out, 512, 3, 7), (Bytes{f.at(3, 3, 2), f.at(3, 3, 3), f.at(3, 3, 0)}));
}

TEST(Extraction, StandardOddLineCountAndWrongWidth) {
    // Three lines: the even last line has no line below and is completed like line 0. The raw buffer is
    // exactly three lines long, so a read of a fourth line shows under the sanitizers.
    std::mt19937 rng(5);
    const Bytes raw = ref::randomBytes(rng, 3 * 1024);
    Bytes out(3 * 512 * 3, 0), expected(out.size(), 0);
    GetStandardData(out.data(), raw.data(), 512, 3);
    ref::standardData(expected.data(), raw.data(), 512, 3);
    EXPECT_EQ(out, expected);

    Bytes untouched(3 * 600 * 2, 7);
    GetStandardData(untouched.data(), Bytes(2 * 1024, 1).data(), 600, 2);  // wider than the readout
    EXPECT_EQ(untouched, Bytes(untouched.size(), 7));
}

}  // namespace
