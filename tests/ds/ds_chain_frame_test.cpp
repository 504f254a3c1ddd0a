// ProcessFrame on made-up readouts: which frame's brightness it uses, and geometry it refuses. (The chain
// on real readouts is ds_chain_scan_test.)
#include <gtest/gtest.h>

#include <vector>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "device/device_state.h"

namespace {

// A standard readout whose levels spread over 40..159 on every channel (a negative with some contrast).
std::vector<uint8_t> SpreadReadout() {
    std::vector<uint8_t> raw(917504);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<uint8_t>(40 + (i % 1024 * 7 + i / 1024 * 3) % 120);
    return raw;
}

TEST(ProcessFrame, FrameIndexChoosesThatFramesBrightness) {
    lx9::filmType = lx9::kFilmNegative;
    for (auto& b : lx9::frameBrightness) b = 0;
    lx9::frameBrightness[5] = 200;  // frame 5 (index 4): the brightest class, tone index 6
    for (int frameIndex : {3, 4}) {
        auto raw = SpreadReadout();
        BaseData base{};
        PictImage image{lx9::AllocLockedBlock(raw.size() / 2 * 3), 0, 0};
        EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), 896, 512, lx9::kModeStandard, &base, 0, 250,
                                    frameIndex),
                  250)
            << "a standard negative keeps its exposure";
        EXPECT_EQ(lx9::toneIndex, frameIndex == 4 ? 6 : 0);
        lx9::FreeLockedBlock(image.data);
    }
}

TEST(ProcessFrame, GeometryThatDoesNotFitIsNotProcessed) {
    struct Case {
        int lines, width, mode, frameIndex;
        RECT crop;
    };
    const Case cases[] = {
        {112, 32, lx9::kModeIndex, 0, {0, 0, 896, 512}},      // index readouts are 112 x 64
        {896, 256, lx9::kModeStandard, 0, {0, 0, 896, 512}},  // standard readouts are 896 x 512
        {64, 64, lx9::kModeExtended, 0, {0, 0, 64, 60}},      // crop and readout disagree
        {64, 62, lx9::kModeExtended, 0, {0, 0, 64, 62}},      // rows would need filler
        {64, 64, lx9::kModeExtended, 0, {0, 980, 64, 1044}},  // beyond the sensor's 1024 columns
        {64, 64, 3, 0, {0, 0, 64, 64}},                       // no such mode
        {112, 64, lx9::kModeIndex, 40, {0, 0, 896, 512}},     // frame 41
        {112, 64, lx9::kModeIndex, -1, {0, 0, 896, 512}},     // frame 0
    };
    for (const Case& c : cases) {
        lx9::cropRect = c.crop;
        std::vector<uint8_t> raw(static_cast<size_t>(c.lines) * c.width * 3, 77);
        PictImage image{lx9::AllocLockedBlock(raw.size()), 64, 112};
        uint8_t* const block = image.data;
        BaseData base{};
        EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), c.lines, c.width, c.mode, &base, 0, 300,
                                    c.frameIndex),
                  0);
        EXPECT_TRUE(image.data == block && image.rows == 64 && image.cols == 112)
            << "the image is left alone";
        EXPECT_EQ(raw[0], 77) << "the readout is left alone";
        lx9::FreeLockedBlock(block);
    }
    lx9::cropRect = {0, 0, 896, 512};
}

}  // namespace
