// The device's start-up data blocks and which scan windows it accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "emu_model_test_util.h"

using namespace lx9emu;
using namespace lx9emu::test;

TEST(EmuModelData, CalibrationReplyRevealsEachElementsDeviation) {
    const ScannerModel ideal(0), real(7);
    const std::vector<uint8_t> a = ideal.calibrationData(), b = real.calibrationData();
    ASSERT_EQ(b.size(), 65548u);
    EXPECT_EQ((b[2] << 8) | b[3], real.calibrationWord());
    EXPECT_EQ(b[10], 1);  // readings map to 768 + v
    // Averages over the 32 lines are whole numbers; the ideal sensor is flat within each colour class.
    std::array<int, 2048> idealAvg{}, realAvg{};
    for (int e = 0; e < 2048; ++e) {
        int sa = 0, sb = 0;
        for (int line = 0; line < 32; ++line) sa += a[12 + line * 2048 + e], sb += b[12 + line * 2048 + e];
        EXPECT_EQ(sb % 32, 0) << e;
        idealAvg[e] = sa / 32, realAvg[e] = sb / 32;
        EXPECT_EQ(idealAvg[e], idealAvg[e % 4]) << e;
    }
    // A real sensor differs element by element, and by a few levels only.
    const auto [lo, hi] = std::minmax_element(realAvg.begin(), realAvg.end());
    EXPECT_GE(*hi - *lo, 8);
    EXPECT_LE(*hi - *lo, 30);
    // Calibration noise varies from line to line.
    EXPECT_NE(b[12], b[12 + 2048]);
}

TEST(EmuModelData, ReferenceTableInvertsTheRangeMapping) {
    const std::vector<uint8_t> conv = ScannerModel().shadingReference();
    ASSERT_EQ(conv.size(), 1024u);
    EXPECT_TRUE(std::is_sorted(conv.begin(), conv.end()));
    for (int v = 0; v < 256; ++v) EXPECT_EQ(conv[768 + v], v);
    EXPECT_EQ(conv[0], 0);
}

TEST(EmuModelData, StatusBlockAndFilmInformationDescribeTheCartridge) {
    ScannerModel model(3);
    model.setCartridge({15, FilmKind::Negative, {}});
    EXPECT_EQ(model.statusBlock().size(), 31u);
    const std::vector<uint8_t> info = model.filmInformation();
    ASSERT_EQ(info.size(), 485u);
    EXPECT_EQ(info[4], 15);
    const int filmWord = (info[2] << 8) | info[3];
    EXPECT_GT(filmWord, 0);
    for (int f = 1; f <= 40; ++f) {
        const uint8_t* r = &info[5 + 12 * (f - 1)];
        if (f > 15) {
            EXPECT_TRUE(std::all_of(r, r + 12, [](uint8_t v) { return v == 0; })) << f;
            continue;
        }
        // The device balances the orange mask: red and green alike, blue somewhat lower.
        EXPECT_NEAR(r[2], r[6], 3) << f;
        EXPECT_LT(r[10], r[6]) << f;
        EXPECT_GE(r[10] + 32, r[6]) << f;
        EXPECT_GT(r[6], 50) << f;
        const int brightness = ((r[7] << 8) | r[8]) / 168;
        EXPECT_GE(brightness, 23) << f;  // a mid-toned chart, neither of the extreme classes
        EXPECT_LT(brightness, 101) << f;
    }
}

TEST(EmuModelData, BrightnessWordRisesForDarkScenes) {
    const std::string dark = writePng(uniformImage(32, 32, 25, 25, 25), "dark");
    const std::string light = writePng(uniformImage(32, 32, 225, 225, 225), "light");
    ScannerModel model(1);
    model.setCartridge({25, FilmKind::Negative, {dark, light}});
    const std::vector<uint8_t> info = model.filmInformation();
    const int darkClass = ((info[5 + 7] << 8) | info[5 + 8]) / 168;
    const int lightClass = ((info[17 + 7] << 8) | info[17 + 8]) / 168;
    EXPECT_GE(darkClass, 101);  // thin negative: tone curves that lift shadows
    EXPECT_LT(lightClass, 48);
    // Pictures repeat in turn: frame 3 shows the dark picture again.
    EXPECT_EQ(((info[29 + 7] << 8) | info[29 + 8]) / 168, darkClass);
}

TEST(EmuModelData, UnusableCartridgeSpecsAreRefusedAndKeepTheOldCartridge) {
    ScannerModel model(1);
    EXPECT_THROW(model.setCartridge({24, FilmKind::Negative, {}}), std::runtime_error);
    EXPECT_THROW(model.setCartridge({15, FilmKind::Negative, {"/nonexistent/picture.png"}}),
                 std::runtime_error);
    const std::string notPng = writePng(uniformImage(4, 4, 1, 2, 3), "broken");
    {
        std::FILE* f = std::fopen(notPng.c_str(), "r+b");
        ASSERT_TRUE(f);
        std::fputs("garbage!", f);
        std::fclose(f);
    }
    EXPECT_THROW(model.setCartridge({15, FilmKind::Negative, {notPng}}), std::runtime_error);
    EXPECT_EQ(model.cartridge().frames, 25);
    EXPECT_EQ(model.filmInformation()[4], 25);
}

TEST(EmuModelData, ValidateAcceptsTheDataSourcesWindowsAndRefusesOthers) {
    ScannerModel model(1);
    model.setCartridge({15, FilmKind::Negative, {}});
    std::string why;
    const std::vector<ScanRequest> good = {
        indexRequest(0, 15, {300, 300, 300, 300, 300}),
        indexRequest(0, 5, {300, 300, 300, 300, 300}),
        indexRequest(1, 1, {300}),
        standardRequest(0, 15, 655),
        request(2, 0, 3, {300}, 0, 4, 512, 1792),  // crop 4..1796: the margin past the frame
        request(2, 0, 3, {300}, 511, 1795, 1, 1),
    };
    for (const ScanRequest& r : good) EXPECT_TRUE(model.validate(r, &why)) << why;
    const std::vector<ScanRequest> bad = {
        indexRequest(0, 16, {300}),  // frame beyond the cartridge
        indexRequest(0, 0, {300}),
        indexRequest(0, 4, {300, 300, 300, 300, 300}),  // group would reach frame 0
        indexRequest(0, 9, {300, 300}),
        indexRequest(2, 9, {300}),               // film type
        request(0, 0, 9, {300}, 0, 0, 64, 111),  // index window is fixed
        request(1, 0, 9, {300, 300}, 0, 0, 256, 896),
        request(1, 0, 9, {300}, 0, 0, 256, 897),
        request(1, 0, 9, {300}, 1, 0, 256, 896),
        request(2, 0, 9, {300}, 0, 1, 512, 1796),
        request(2, 0, 9, {300}, -4, 0, 8, 8),
        request(2, 0, 9, {300}, 0, 0, 0, 8),
        request(2, 0, 9, {300}, 2147483647, 0, 1, 8),  // no overflow past the check
        request(3, 0, 9, {300}, 0, 0, 64, 112),
    };
    for (const ScanRequest& r : bad) {
        why.clear();
        EXPECT_FALSE(model.validate(r, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_THROW(model.scan(r), std::invalid_argument);
    }
    ScanRequest pass0 = indexRequest(0, 9, {300});
    pass0.pass = 0;
    EXPECT_FALSE(model.validate(pass0, nullptr));
}
