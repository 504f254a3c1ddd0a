// Shading correction: the tables built from calibration lines and their use on each readout layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "lx9pict.h"
#include "reference_model.h"

namespace {

using ref::Bytes;

struct Calibration {
    Bytes lines;
    int count = 32;
    uint16_t map10[256];
    Bytes conv = Bytes(1024);  // exactly 1024 bytes: the sanitizers see any read past the table

    Calibration() {
        for (int v = 0; v < 256; ++v) map10[v] = static_cast<uint16_t>(768 + v);
        for (int x = 0; x < 1024; ++x) conv[x] = static_cast<uint8_t>(x / 4);
    }
    void apply() {
        CreateShading(lines.data(), static_cast<int16_t>(count), map10);
        PreShading(conv.data());
    }
    ref::ShadingTables model() const { return ref::shadingTables(lines, count, map10, conv); }
};

// Uniform calibration except element `bright`, which reads `delta` levels higher on every line.
Calibration withBrightElement(int bright, int delta) {
    Calibration c;
    c.lines.assign(32 * 2048, 100);
    for (int line = 0; line < 32; ++line) c.lines[line * 2048 + bright] = static_cast<uint8_t>(100 + delta);
    return c;
}

TEST(Shading, UniformCalibrationCorrectsNothing) {
    Calibration c;
    c.lines.assign(32 * 2048, 255);  // mapped 1023: the averages reach the last conversion entry
    c.apply();
    std::mt19937 rng(1);
    const Bytes raw = ref::randomBytes(rng, 4 * 1024);
    Bytes data = raw;
    ShadingPass pass{data.data(), 1, 0, 512};
    NegaShading(&pass, 4);
    EXPECT_EQ(pass.cursor, data.data() + data.size());
    pass = {data.data(), 2, 0, 512};
    PosiShading(&pass, 4);
    EXPECT_EQ(data, raw);
}

TEST(Shading, ClampsAtBothEnds) {
    // Element 1 (green) averages 40 mapped units above its class: conv x / 4 gives 10 levels.
    withBrightElement(1, 40).apply();
    Bytes line(1024, 200);
    line[0] = 10, line[4] = 9, line[8] = 11;  // layout 1, byte 0 of each group: elements 1, 9, 17
    line[2] = 245, line[6] = 244;             // byte 2: elements 5, 13 (gain 10)
    ShadingPass pass{line.data(), 1, 0, 512};
    NegaShading(&pass, 1);
    EXPECT_EQ(line[0], 0);
    EXPECT_EQ(line[4], 9);  // element 9 has no dark correction
    EXPECT_EQ(pass.layout, 3);
    pass = {line.data(), 1, 0, 512};
    PosiShading(&pass, 1);
    EXPECT_EQ(line[2], 255);
    EXPECT_EQ(line[6], 254);
    EXPECT_EQ(line[0], 0);  // element 1 is the brightest of its class: no gain
}

TEST(Shading, Layout2StartsAtTwiceStart) {
    withBrightElement(200, 40).apply();
    Bytes line(2 * 64, 50);
    ShadingPass pass{line.data(), 2, 100, 64};
    NegaShading(&pass, 1);
    EXPECT_EQ(line[0], 40);
    EXPECT_EQ(line[4], 50);
    EXPECT_EQ(pass.layout, 2);
}

TEST(Shading, MatchesModelOnEveryLayout) {
    std::mt19937 rng(2);
    Calibration c;
    // Elements spread over 60 levels plus noise; a rising conversion with random steps over their range.
    c.lines.resize(32 * 2048);
    for (size_t k = 0; k < c.lines.size(); ++k)
        c.lines[k] = static_cast<uint8_t>(10 + (k % 2048 * 37) % 60 + rng() % 10);
    for (int x = 1; x < 1024; ++x)
        c.conv[x] = static_cast<uint8_t>(x < 760 ? 0 : std::min(255, c.conv[x - 1] + int(rng() % 4)));
    c.apply();
    const ref::ShadingTables t = c.model();
    ASSERT_GT(*std::max_element(t.dark.begin(), t.dark.end()), 40);  // corrections large enough to clamp
    ASSERT_GT(*std::max_element(t.gain.begin(), t.gain.end()), 40);
    struct Case {
        int layout, start, width, lines;
    };
    for (const Case k : {Case{0, 0, 64, 3}, Case{1, 0, 512, 5}, Case{3, 0, 512, 4}, Case{2, 100, 200, 3},
                         Case{2, 0, 1024, 2}, Case{1, 0, 600, 2}, Case{2, -10, 40, 2}, Case{0, 0, 70, 1}}) {
        for (bool nega : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "layout " << k.layout << " width " << k.width << " nega " << nega);
            Bytes data = ref::randomBytes(rng, 5 * 4096);
            Bytes expected = data;
            const int consumed = ref::shade(expected.data(), k.layout, k.start, k.width, k.lines, t, nega);
            ShadingPass pass{data.data(), static_cast<int16_t>(k.layout), static_cast<int16_t>(k.start),
                             static_cast<int16_t>(k.width)};
            (nega ? NegaShading : PosiShading)(&pass, static_cast<int16_t>(k.lines));
            EXPECT_EQ(data, expected);
            EXPECT_EQ(pass.cursor - data.data(), consumed);
            EXPECT_EQ(pass.layout, k.layout % 2 == 1 && k.lines % 2 == 1 ? 4 - k.layout : k.layout);
        }
    }
}

TEST(Shading, NothingForNoLinesOrUnknownLayout) {
    withBrightElement(1, 40).apply();
    Bytes line(1024, 5);
    ShadingPass pass{line.data(), 7, 0, 512};
    NegaShading(&pass, 3);
    pass.layout = 1;
    NegaShading(&pass, 0);
    NegaShading(&pass, -2);
    EXPECT_EQ(pass.cursor, line.data());
    EXPECT_EQ(pass.layout, 1);
    EXPECT_EQ(line, Bytes(1024, 5));
}

// Calls outside the documented limits keep the tables sound instead of dividing by zero, overrunning
// the calibration buffer or converting twice.
TEST(Shading, OutOfRangeCalibrationCalls) {
    Calibration good = withBrightElement(1, 40);
    good.apply();
    CreateShading(good.lines.data(), 0, good.map10);  // ignored: the tables stay
    PreShading(good.conv.data());                     // second conversion: ignored
    Bytes line(1024, 30);
    ShadingPass pass{line.data(), 1, 0, 512};
    NegaShading(&pass, 1);
    EXPECT_EQ(line[0], 20);

    Calibration many = withBrightElement(1, 40);
    many.lines.resize(40 * 2048, 0);  // 40 lines: the first 32 are used
    many.count = 40;
    many.apply();
    line.assign(1024, 30);
    pass = {line.data(), 1, 0, 512};
    NegaShading(&pass, 1);
    EXPECT_EQ(line[0], 20);

    Calibration wild;  // mapped values past 1023 read the last conversion entry
    wild.lines.assign(32 * 2048, 0);
    for (auto& m : wild.map10) m = 60000;
    wild.apply();
    line.assign(1024, 30);
    pass = {line.data(), 1, 0, 512};
    NegaShading(&pass, 1);
    EXPECT_EQ(line, Bytes(1024, 30));
}

}  // namespace
