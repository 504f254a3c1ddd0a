// The model against the image library, the way the data source uses both: its calibration builds shading
// tables that remove the sensor's deviations, its film information gives start-up exposures that put
// highlights near 230, and the processed readouts are upright pictures of the scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "emu_model_test_util.h"
#include "lx9pict.h"

using namespace lx9emu;
using namespace lx9emu::test;

namespace {

void loadShading(const ScannerModel& model) {
    std::vector<uint8_t> cal = model.calibrationData();
    std::vector<uint8_t> conv = model.shadingReference();
    ASSERT_EQ(cal[10], 1);
    std::array<uint16_t, 256> map10{};
    for (int v = 0; v < 256; ++v) map10[v] = static_cast<uint16_t>(768 + v);
    CreateShading(cal.data() + 12, 32, map10.data());
    PreShading(conv.data());
}

// Bytes that differ after correction; bytes the sensor clipped cannot be restored and are skipped.
int shadeAndCompare(std::vector<uint8_t> raw, const std::vector<uint8_t>& ideal, ShadingPass pass, int lines,
                    bool positive) {
    const std::vector<uint8_t> before = raw;
    pass.cursor = raw.data();
    positive ? PosiShading(&pass, static_cast<int16_t>(lines))
             : NegaShading(&pass, static_cast<int16_t>(lines));
    EXPECT_EQ(pass.cursor, raw.data() + raw.size());
    int wrong = 0;
    for (size_t i = 0; i < raw.size(); ++i) wrong += before[i] != 255 && before[i] != 0 && raw[i] != ideal[i];
    return wrong;
}

uint16_t startExposure(const std::vector<uint8_t>& info, int frame) {
    const uint8_t* r = &info[5 + 12 * (frame - 1)];
    const uint8_t highlights[3] = {r[10], r[6], r[2]};
    return GetNewCCDShutter(static_cast<uint16_t>((info[2] << 8) | info[3]), highlights);
}

}  // namespace

TEST(EmuModelPict, ShadingCorrectionRemovesTheElementDeviationsInEveryLayout) {
    for (FilmKind kind : {FilmKind::Negative, FilmKind::Positive}) {
        const uint8_t film = kind == FilmKind::Positive;
        const uint16_t exposure = film ? 300 : 400;
        ScannerModel real(9), ideal(0);
        real.setCartridge({15, kind, {}});
        ideal.setCartridge({15, kind, {}});
        loadShading(real);
        SCOPED_TRACE(film ? "positive" : "negative");

        const ScanRequest index = indexRequest(film, 5, {exposure});
        const std::vector<uint8_t> rawIndex = real.scan(index).images[0];
        EXPECT_NE(rawIndex, ideal.scan(index).images[0]);
        EXPECT_EQ(shadeAndCompare(rawIndex, ideal.scan(index).images[0], {nullptr, 0, 0, 64}, 112, film), 0);

        const ScanRequest standard = standardRequest(film, 5, exposure);
        EXPECT_EQ(shadeAndCompare(real.scan(standard).lines, ideal.scan(standard).lines, {nullptr, 1, 0, 512},
                                  896, film),
                  0);

        const ScanRequest crop = request(2, film, 5, {exposure}, 37, 1700, 200, 96);
        EXPECT_EQ(
            shadeAndCompare(real.scan(crop).lines, ideal.scan(crop).lines, {nullptr, 2, 74, 400}, 96, film),
            0);
    }
}

TEST(EmuModelPict, StartUpExposuresBringEveryFramesHighlightsNear230) {
    ScannerModel model(3);
    model.setCartridge({25, FilmKind::Negative, {}});
    loadShading(model);
    const std::vector<uint8_t> info = model.filmInformation();
    std::set<uint16_t> exposures;
    for (int f = 1; f <= 25; ++f) {
        const uint16_t exposure = startExposure(info, f);
        exposures.insert(exposure);
        EXPECT_LE(exposure, 655);
        std::vector<uint8_t> raw = model.scan(indexRequest(0, static_cast<uint8_t>(f), {exposure})).images[0];
        ShadingPass pass{raw.data(), 0, 0, 64};
        NegaShading(&pass, 112);
        BaseData base;
        GetBaseData(&base, raw.data(), 0);
        const int top = std::max({base.v[0], base.v[1], base.v[2]});
        EXPECT_NEAR(top, 230, 6) << "frame " << f;
        // The next exposure the data source derives stays put: the film information told the truth.
        EXPECT_NEAR(GetNewCCDShutter(exposure, base.v), exposure, exposure / 30 + 1) << "frame " << f;
    }
    EXPECT_GE(exposures.size(), 3u);  // frames were shot with different camera exposures
}

TEST(EmuModelPict, ProcessedStandardSlideIsTheUprightScene) {
    ScannerModel model(5);
    model.setCartridge({25, FilmKind::Positive, {}});
    loadShading(model);
    std::vector<uint8_t> raw = model.scan(standardRequest(1, 7, 2 * model.calibrationWord())).lines;
    ShadingPass pass{raw.data(), 1, 0, 512};
    PosiShading(&pass, 896);
    std::vector<uint8_t> px(896 * 512 * 3);
    GetStandardData(px.data(), raw.data(), 512, 896);
    // The data source shows readout line l as column 895 - l and position p as row p.
    const RgbImage scene = renderScene(7, 896, 512);
    const RgbImage other = renderScene(8, 896, 512);
    long error = 0, mirrored = 0, wrongFrame = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 896; ++x) {
            const uint8_t* e = &px[((895 - x) * 512 + y) * 3];  // blue, green, red
            for (int c = 0; c < 3; ++c) {
                error += std::abs(e[2 - c] - slideLevel(scene.pixel(x, y)[c]));
                mirrored += std::abs(e[2 - c] - slideLevel(scene.pixel(895 - x, y)[c]));
                wrongFrame += std::abs(e[2 - c] - slideLevel(other.pixel(x, y)[c]));
            }
        }
    const double n = 896.0 * 512 * 3;
    EXPECT_LT(error / n, 1.0);  // only colour interpolation at block edges differs
    EXPECT_GT(mirrored / n, 10.0);
    EXPECT_GT(wrongFrame / n, 10.0);
}

TEST(EmuModelPict, ProcessedIndexNegativeIsAPositivePicture) {
    ScannerModel model(3);
    model.setCartridge({25, FilmKind::Negative, {}});
    loadShading(model);
    const std::vector<uint8_t> info = model.filmInformation();
    std::vector<uint8_t> raw = model.scan(indexRequest(0, 9, {startExposure(info, 9)})).images[0];
    ShadingPass pass{raw.data(), 0, 0, 64};
    NegaShading(&pass, 112);
    std::vector<uint8_t> px(112 * 64 * 3);
    GetIndexData(px.data(), raw.data(), 64, 112);
    BaseData base;
    GetBaseData(&base, raw.data(), 0);
    std::array<uint8_t, 768> identity{};
    for (int i = 0; i < 768; ++i) identity[i] = static_cast<uint8_t>(i / 3);
    PictImage image{px.data(), 112, 64};
    ChangeNegaType(&image, &base, identity.data());
    // Index line L shows scene block column 111 - L, pixel g block row g; pixels blue, green, red.
    auto at = [&](int blockX, int blockY) { return &px[((111 - blockX) * 64 + blockY) * 3]; };
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(at(50, 52)[c], 200) << "white patch";
        EXPECT_LT(at(78, 52)[c], 40) << "black patch";
        EXPECT_GT(at(64, 52)[c], 60) << "grey patch";
        EXPECT_LT(at(64, 52)[c], 210) << "grey patch";
    }
    EXPECT_GT(at(8, 52)[2], at(8, 52)[1] + 60) << "red patch";
    EXPECT_GT(at(36, 52)[0], at(36, 52)[2] + 60) << "blue patch";
    EXPECT_LT(at(10, 42)[1], at(50, 42)[1]) << "grey ramp";
    EXPECT_LT(at(50, 42)[1], at(100, 42)[1]) << "grey ramp";
}
