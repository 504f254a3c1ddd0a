// ProcessFrame on made-up readouts (the shading tables are empty in this process, so shading changes
// nothing): sizes, orientation, exposure results, what an extended crop reuses, and refused geometry.
#include <gtest/gtest.h>

#include <vector>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "device/device_state.h"
#include "ds_device_support.h"
#include "lx9pict.h"

namespace {

constexpr uint8_t kBackground = 60;
constexpr uint8_t kMarker = 200;

// A raw readout of `lines` lines whose pixel (line, pixel) reads `level(line, pixel)` on every channel.
// Index: 3 bytes per pixel. Standard: pairs of pixels in 4 bytes (even lines G(A) R(B) G(B) B(B), odd lines
// R(A) G(A) B(A) G(B)). Extended: one sensor position of 4 bytes per two pixels.
template <typename Level>
std::vector<uint8_t> Readout(int mode, int lines, int width, Level level) {
    std::vector<uint8_t> raw;
    for (int l = 0; l < lines; ++l) {
        for (int p = 0; p < width; p += (mode == lx9::kModeIndex ? 1 : 2)) {
            const uint8_t a = level(l, p);
            if (mode == lx9::kModeIndex) {
                raw.insert(raw.end(), {a, a, a});
            } else {
                const uint8_t b = level(l, p + 1);
                if (mode == lx9::kModeStandard && l % 2 == 0) raw.insert(raw.end(), {a, b, b, b});
                if (mode == lx9::kModeStandard && l % 2 == 1) raw.insert(raw.end(), {a, a, a, b});
                if (mode == lx9::kModeExtended) raw.insert(raw.end(), {a, a, a, b});
            }
        }
    }
    return raw;
}

struct Frame {
    PictImage image{};
    uint16_t result = 0;
    ~Frame() { lx9::FreeLockedBlock(image.data); }
};

void Process(Frame& frame, std::vector<uint8_t>& raw, int lines, int width, int mode, BaseData* base,
             int32_t turn = 0, uint16_t shutter = 300, int frameIndex = 0) {
    frame.image.data = lx9::AllocLockedBlock(static_cast<size_t>(lines) * width * 3);
    frame.image.rows = 64;
    frame.image.cols = 112;
    frame.result = lx9::ProcessFrame(nullptr, &frame.image, raw.data(), lines, width, mode, base, turn,
                                     shutter, frameIndex);
}

// Centre of the pixels that are bright on every channel, in output (row, column).
std::pair<double, double> BrightCentre(const PictImage& image) {
    double rows = 0, cols = 0;
    int count = 0;
    for (int r = 0; r < image.rows; ++r) {
        for (int c = 0; c < image.cols; ++c) {
            const uint8_t* p = image.data + (static_cast<size_t>(r) * image.cols + c) * 3;
            if (p[0] > 150 && p[1] > 150 && p[2] > 150) {
                rows += r;
                cols += c;
                ++count;
            }
        }
    }
    return count ? std::pair{rows / count, cols / count} : std::pair{-1.0, -1.0};
}

class ChainFrame : public testing::Test {
  protected:
    void SetUp() override {
        lx9::filmType = lx9::kFilmPositive;
        lx9::cropRect = {0, 0, 896, 512};
        lx9::toneIndex = 0;
        lx9::shiftOffsets[0] = lx9::shiftOffsets[1] = lx9::shiftOffsets[2] = 0;
        for (auto& b : lx9::frameBrightness) b = 0;
    }
    BaseData base{};
};

TEST_F(ChainFrame, IndexFrameComesBackTurnedAQuarter) {
    auto level = [](int l, int p) { return (l == 20 && p == 10) ? kMarker : kBackground; };
    for (int32_t turn : {0, 1}) {
        auto raw = Readout(lx9::kModeIndex, 112, 64, level);
        Frame frame;
        Process(frame, raw, 112, 64, lx9::kModeIndex, &base, turn, 321);
        ASSERT_NE(frame.image.data, nullptr);
        EXPECT_EQ(frame.image.rows, 64);
        EXPECT_EQ(frame.image.cols, 112);
        EXPECT_EQ(frame.result, 321) << "positive film keeps the exposure";
        EXPECT_EQ(lx9test::LockCount(GlobalHandle(frame.image.data)), 1u);
        const auto [r, c] = BrightCentre(frame.image);
        if (turn == 0) {
            EXPECT_EQ(r, 63 - 10);  // O(r, c) = E(c, width - 1 - r)
            EXPECT_EQ(c, 20);
        } else {
            EXPECT_EQ(r, 10);  // O(r, c) = E(lines - 1 - c, r): the same frame turned by 180 degrees
            EXPECT_EQ(c, 111 - 20);
        }
    }
}

TEST_F(ChainFrame, StandardFrameEndsWithTheLastPixelOfTheLastLine) {
    auto level = [](int l, int p) {
        return (l >= 100 && l < 104 && p >= 40 && p < 44) ? kMarker : kBackground;
    };
    auto raw = Readout(lx9::kModeStandard, 896, 512, level);
    raw[895 * 1024 + 1023] = 255;  // green of the last pixel of the last line (an odd line)
    Frame frame;
    Process(frame, raw, 896, 512, lx9::kModeStandard, &base);
    ASSERT_NE(frame.image.data, nullptr);
    EXPECT_EQ(frame.image.rows, 512);
    EXPECT_EQ(frame.image.cols, 896);
    const auto [r, c] = BrightCentre(frame.image);  // O(r, c) = E(lines - 1 - c, width - 1 - r)
    EXPECT_NEAR(r, 511 - 41.5, 0.6);
    EXPECT_NEAR(c, 895 - 101.5, 0.6);
    EXPECT_GT(frame.image.data[1], 200) << "pixel (0, 0) is the last pixel of the last line, green only";
    EXPECT_LT(frame.image.data[0], 100);
    EXPECT_LT(frame.image.data[4], 100) << "its neighbour is background";
}

TEST_F(ChainFrame, ExtendedFrameFollowsTheCropRectangle) {
    lx9::cropRect = {8, 100, 72, 164};  // 64 lines of 64 samples from sensor column 100
    auto level = [](int l, int p) { return (l == 10 && p >= 20 && p < 24) ? kMarker : kBackground; };
    auto raw = Readout(lx9::kModeExtended, 64, 64, level);
    Frame frame;
    Process(frame, raw, 64, 64, lx9::kModeExtended, &base);
    ASSERT_NE(frame.image.data, nullptr);
    EXPECT_EQ(frame.image.rows, 64);
    EXPECT_EQ(frame.image.cols, 64);
    const auto [r, c] = BrightCentre(frame.image);
    EXPECT_NEAR(r, 63 - 21.5, 1.0);
    EXPECT_EQ(c, 63 - 10);
}

// A negative with a spread of levels: 40..159 on every channel.
uint8_t Spread(int l, int p) {
    return static_cast<uint8_t>(40 + (p * 7 + l * 3) % 120);
}

TEST_F(ChainFrame, IndexNegativeReturnsANewExposureAtMost655) {
    lx9::filmType = lx9::kFilmNegative;
    auto raw = Readout(lx9::kModeIndex, 112, 64, Spread);
    BaseData measured{};
    GetBaseData(&measured, raw.data(), 0);
    const unsigned m = std::max({measured.v[0], measured.v[1], measured.v[2]});
    Frame frame;
    Process(frame, raw, 112, 64, lx9::kModeIndex, &base, 0, 200);
    EXPECT_EQ(frame.result, std::min(200u * 2304 / (m * 10), 655u));

    auto dark = Readout(lx9::kModeIndex, 112, 64, [](int, int) { return uint8_t{10}; });
    Frame capped;
    Process(capped, dark, 112, 64, lx9::kModeIndex, &base, 0, 1000);
    EXPECT_EQ(capped.result, 655);
}

TEST_F(ChainFrame, FrameIndexChoosesTheBrightnessOfThatFrame) {
    lx9::filmType = lx9::kFilmNegative;
    lx9::frameBrightness[5] = 200;  // frame 5: the brightest class
    for (int frameIndex : {3, 4}) {
        auto raw = Readout(lx9::kModeStandard, 896, 512, Spread);
        Frame frame;
        Process(frame, raw, 896, 512, lx9::kModeStandard, &base, 0, 250, frameIndex);
        EXPECT_EQ(frame.result, 250) << "a standard negative keeps the exposure";
        EXPECT_EQ(lx9::toneIndex, frameIndex == 4 ? 6 : 0);
    }
}

TEST_F(ChainFrame, ExtendedNegativeReusesTheLastMeasurement) {
    lx9::filmType = lx9::kFilmNegative;
    lx9::cropRect = {0, 0, 64, 64};
    lx9::toneIndex = 3;
    lx9::shiftOffsets[0] = 4, lx9::shiftOffsets[1] = 5, lx9::shiftOffsets[2] = 6;
    base = {{180, 190, 200, 30, 35, 40}};
    const BaseData before = base;
    auto raw = Readout(lx9::kModeExtended, 64, 64, Spread);
    Frame frame;
    Process(frame, raw, 64, 64, lx9::kModeExtended, &base, 0, 444);
    ASSERT_NE(frame.image.data, nullptr);
    EXPECT_EQ(frame.result, 444);
    EXPECT_EQ(lx9::toneIndex, 3);
    EXPECT_EQ(lx9::shiftOffsets[0], 4);
    EXPECT_EQ(lx9::shiftOffsets[2], 6);
    EXPECT_TRUE(std::equal(std::begin(base.v), std::end(base.v), std::begin(before.v)));
}

TEST_F(ChainFrame, GeometryThatDoesNotFitIsNotProcessed) {
    struct Case {
        int lines, width, mode;
        RECT crop;
    };
    const Case cases[] = {
        {112, 32, lx9::kModeIndex, {0, 0, 896, 512}},      // index readouts are 112 x 64
        {896, 256, lx9::kModeStandard, {0, 0, 896, 512}},  // standard readouts are 896 x 512
        {64, 64, lx9::kModeExtended, {0, 0, 64, 60}},      // crop and readout disagree
        {64, 62, lx9::kModeExtended, {0, 0, 64, 62}},      // rows would need filler
        {64, 64, lx9::kModeExtended, {0, 980, 64, 1044}},  // beyond the sensor's 1024 columns
        {64, 64, 3, {0, 0, 64, 64}},                       // no such mode
    };
    for (const Case& c : cases) {
        lx9::cropRect = c.crop;
        std::vector<uint8_t> raw(static_cast<size_t>(c.lines) * c.width * 3, 77);
        PictImage image{lx9::AllocLockedBlock(raw.size()), 64, 112};
        uint8_t* const block = image.data;
        EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), c.lines, c.width, c.mode, &base, 0, 300, 0),
                  0);
        EXPECT_EQ(image.data, block);
        EXPECT_EQ(image.rows, 64);
        EXPECT_EQ(image.cols, 112);
        EXPECT_EQ(raw[0], 77) << "raw untouched";
        lx9::FreeLockedBlock(block);
    }
    std::vector<uint8_t> raw(21504);
    PictImage image{lx9::AllocLockedBlock(21504), 64, 112};
    EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), 112, 64, 0, &base, 0, 300, 40), 0) << "frame 41";
    EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), 112, 64, 0, &base, 0, 300, -1), 0) << "frame 0";
    lx9::FreeLockedBlock(image.data);
}

}  // namespace
