// The backend's parts without a device: lx9.conf, the crop area between millimetres and the scanner's grid,
// and the option table's checks of what a front end sets.
#include <gtest/gtest.h>

#include <cstring>

#include "config.h"
#include "crop_geometry.h"
#include "options.h"

namespace lx9::sane {
namespace {

TEST(SaneConfig, PortsOptionsAndBrokenLines) {
    const Config config = ParseConfig(
        "# comment\n  /dev/a  # trailing\n\nrelative/port\n/dev/a\noption cartridge-wait 250\n"
        "option cartridge-wait 9999999\noption colour red\n/dev/b\n");
    EXPECT_EQ(config.ports, (std::vector<std::string>{"/dev/a", "/dev/b"}));
    EXPECT_EQ(config.cartridgeWaitMs, 250);
    EXPECT_EQ(ParseConfig("option cartridge-wait 12x\n").cartridgeWaitMs, kDefaultCartridgeWaitMs);
    EXPECT_EQ(ParseConfig("option cartridge-wait 600001\n").cartridgeWaitMs, kDefaultCartridgeWaitMs);
    EXPECT_EQ(ParseConfig("option cartridge-wait 600000\n").cartridgeWaitMs, 600000);
    EXPECT_EQ(ParseConfig("/dev/\x01x\n").ports.size(), 1u);  // the default only
    std::string many;
    for (int i = 0; i < 12; ++i) many += "/dev/p" + std::to_string(i) + "\n";
    EXPECT_EQ(ParseConfig(many).ports.size(), kMaxPorts);
}

TEST(SaneConfig, DirectoriesAsSaneSearchesThem) {
    EXPECT_EQ(ConfigDirectories(nullptr), (std::vector<std::string>{"/etc/sane.d"}));
    EXPECT_EQ(ConfigDirectories(""), (std::vector<std::string>{"/etc/sane.d"}));
    EXPECT_EQ(ConfigDirectories("/a::/b"), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(ConfigDirectories("/a:"), (std::vector<std::string>{"/a", "/etc/sane.d"}));
}

TEST(SaneCrop, MillimetresOnTheGridAreExact) {
    EXPECT_EQ(GridToFixed(kGridWidth), SANE_FIX(35.0));
    EXPECT_EQ(GridToFixed(kGridHeight), SANE_FIX(20.0));
    EXPECT_EQ(FixedToGrid(SANE_FIX(17.5)), 896);
    EXPECT_EQ(FixedToGrid(SANE_FIX(0.078125)), 4);
    EXPECT_EQ(FixedToGrid(SANE_FIX(0.05)), 4);  // nearest grid line
    EXPECT_EQ(FixedToGrid(SANE_FIX(0.03)), 0);
}

TEST(SaneCrop, AreaLimitShrinksTowardsTheTopLeftCorner) {
    PictureRect scanned;
    ASSERT_TRUE(EffectiveRect({0, 0, 1792, 1024}, kMaxExtendedSamples, &scanned));
    EXPECT_EQ(scanned.x1, 896);
    EXPECT_EQ(scanned.y1, 512);
    ASSERT_TRUE(EffectiveRect({100, 200, 1700, 1000}, kMaxExtendedSamples, &scanned));
    EXPECT_EQ(scanned.x0, 100);
    EXPECT_EQ(scanned.y0, 200);
    EXPECT_LE(int64_t{scanned.x1 - scanned.x0} * (scanned.y1 - scanned.y0), kMaxExtendedSamples);
    EXPECT_EQ((scanned.x1 - scanned.x0) % 4, 0);
    EXPECT_NEAR(double(scanned.x1 - scanned.x0) / (scanned.y1 - scanned.y0), 1600.0 / 800.0, 0.02);
    ASSERT_TRUE(EffectiveRect({4, 8, 20, 40}, kMaxExtendedSamples, &scanned));
    EXPECT_EQ(scanned.x1, 20);  // within the limit: as asked
    EXPECT_FALSE(EffectiveRect({20, 0, 20, 40}, kMaxExtendedSamples, &scanned));
    EXPECT_FALSE(EffectiveRect({20, 40, 40, 8}, kMaxExtendedSamples, &scanned));
    EXPECT_FALSE(EffectiveRect({0, 0, 1796, 40}, kMaxExtendedSamples, &scanned));
}

TEST(SaneCrop, ReadoutGridOfPictureRectangles) {
    int32_t crop[4];
    SessionCrop({0, 0, 1792, 1024}, false, crop);
    EXPECT_EQ(std::vector<int32_t>(crop, crop + 4), (std::vector<int32_t>{4, 0, 1796, 1024}));
    SessionCrop({896, 0, 1792, 512}, false, crop);  // the picture's top right: the readout's left
    EXPECT_EQ(std::vector<int32_t>(crop, crop + 4), (std::vector<int32_t>{4, 0, 900, 512}));
    SessionCrop({0, 512, 896, 1024}, true, crop);  // the turned picture's bottom left: the readout's top left
    EXPECT_EQ(std::vector<int32_t>(crop, crop + 4), (std::vector<int32_t>{0, 0, 896, 512}));
}

SANE_Word GetWord(const Options& options, SANE_Int option) {
    SANE_Word word = -1;
    EXPECT_EQ(options.Get(option, &word), SANE_STATUS_GOOD);
    return word;
}

TEST(SaneOptions, SetValuesAreCheckedAgainstTheirConstraints) {
    Options options;
    options.SetFrameCount(15);
    SANE_Int info = 0;
    SANE_Word word = 16;
    EXPECT_EQ(options.Set(kOptFrame, &word, &info), SANE_STATUS_GOOD);
    EXPECT_EQ(GetWord(options, kOptFrame), 15);
    EXPECT_TRUE(info & SANE_INFO_INEXACT);
    word = 2;
    EXPECT_EQ(options.Set(kOptTurn, &word, nullptr), SANE_STATUS_INVAL);  // a bool is 0 or 1
    EXPECT_EQ(options.Set(kOptMode, "Scan", nullptr), SANE_STATUS_INVAL);
    char unterminated[32];
    std::memset(unterminated, 'E', sizeof unterminated);
    EXPECT_EQ(options.Set(kOptMode, unterminated, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Set(kOptNumOptions, &word, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Set(kOptResolution, &word, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Set(kOptScanGroup, &word, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Set(kOptFrame, nullptr, nullptr), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Get(kOptionCount, &word), SANE_STATUS_INVAL);
    EXPECT_EQ(options.Get(kOptEject, &word), SANE_STATUS_INVAL);
    word = SANE_FIX(1.0);
    EXPECT_EQ(options.Set(kOptTlX, &word, nullptr), SANE_STATUS_INVAL);  // inactive outside extended mode
}

TEST(SaneOptions, ModeDecidesWhatIsActiveAndTheResolution) {
    Options options;
    const auto active = [&](SANE_Int option) {
        return SANE_OPTION_IS_ACTIVE(options.Descriptor(option)->cap);
    };
    EXPECT_FALSE(active(kOptTlX));
    EXPECT_FALSE(active(kOptIndexSheet));
    SANE_Int info = 0;
    EXPECT_EQ(options.Set(kOptMode, "extended", &info), SANE_STATUS_GOOD);
    EXPECT_EQ(info, SANE_INFO_INEXACT | SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS);
    char mode[16];
    ASSERT_EQ(options.Get(kOptMode, mode), SANE_STATUS_GOOD);
    EXPECT_STREQ(mode, "Extended");
    EXPECT_TRUE(active(kOptTlX) && active(kOptBrY));
    EXPECT_EQ(GetWord(options, kOptResolution), 1300);
    SANE_Word word = SANE_FIX(30.0);
    info = 0;
    EXPECT_EQ(options.Set(kOptTlX, &word, &info), SANE_STATUS_GOOD);  // beyond 34.92: kept in range
    word = SANE_FIX(50.0);
    EXPECT_EQ(options.Set(kOptBrX, &word, &info), SANE_STATUS_GOOD);
    EXPECT_EQ(GetWord(options, kOptBrX), SANE_FIX(35.0));
    EXPECT_EQ(options.Current().crop.x0, 1536);
    EXPECT_EQ(options.Current().crop.x1, 1792);
    EXPECT_TRUE(info & SANE_INFO_INEXACT);
    EXPECT_EQ(options.Set(kOptMode, "Index", nullptr), SANE_STATUS_GOOD);
    EXPECT_FALSE(active(kOptTlX));
    EXPECT_TRUE(active(kOptIndexSheet));
    EXPECT_EQ(GetWord(options, kOptResolution), 81);
    word = SANE_TRUE;
    EXPECT_EQ(options.Set(kOptIndexSheet, &word, nullptr), SANE_STATUS_GOOD);
    EXPECT_FALSE(active(kOptFrame));  // the sheet has all frames
    EXPECT_EQ(options.Set(kOptPreview, &word, nullptr), SANE_STATUS_GOOD);
    EXPECT_EQ(GetWord(options, kOptResolution), 650);  // a preview is the standard picture
}

TEST(SaneOptions, FrameRangeFollowsTheCartridge) {
    Options options;
    const SANE_Range* range = options.Descriptor(kOptFrame)->constraint.range;
    EXPECT_TRUE(options.SetFrameCount(40));
    SANE_Word word = 40;
    ASSERT_EQ(options.Set(kOptFrame, &word, nullptr), SANE_STATUS_GOOD);
    EXPECT_EQ(range->max, 40);
    EXPECT_TRUE(options.SetFrameCount(15));
    EXPECT_EQ(range->max, 15);
    EXPECT_EQ(GetWord(options, kOptFrame), 15);
    EXPECT_FALSE(options.SetFrameCount(15));
    EXPECT_TRUE(options.SetFrameCount(0));
    EXPECT_EQ(range->max, 1);
}

}  // namespace
}  // namespace lx9::sane
