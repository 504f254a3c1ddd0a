// The frame processing chain on the emulator's readouts (index, standard, extended; negative and positive
// film). The emulator draws each frame's scene on a grid of 112 x 64 blocks: a yellow marker square at the
// top left, the frame number at the top right, and a row of patches (red, green, blue, white, grey, black)
// near the bottom. Finding them where they belong, in plausible colours, shows that the chain turns and
// converts the frames right. The pictures are written to <build>/artifacts as BMP files for looking at.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chain/bitmap_header.h"
#include "chain/chain_state.h"
#include "chain/display_copy.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "chain/transform_image.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "ds_device_emulator.h"
#include "ds_device_support.h"
#include "lx9comm.h"
#include "lx9pict.h"
#include "twain/notify.h"
#include "ui/index_sheet.h"

namespace {

constexpr size_t kIndexRawBytes = 21504;
constexpr size_t kStandardRawBytes = 917504;

// A finished frame: a bottom-up 24-bit picture of rows x cols pixels (PictImage of the chain).
struct Picture {
    std::vector<uint8_t> bgr;
    int rows = 0, cols = 0;
    // Pixel (x, y) of the upright picture, y from the top.
    const uint8_t* At(int x, int y) const { return &bgr[(static_cast<size_t>(rows - 1 - y) * cols + x) * 3]; }
    // Mean blue, green, red over block (bx, by) of the scene grid, inset by a quarter block on each side.
    std::array<int, 3> Block(double bx, double by) const {
        const double scale = cols / 112.0;
        long sums[3] = {};
        int count = 0;
        for (int y = int((by + 0.25) * scale); y < int((by + 0.75) * scale); ++y) {
            for (int x = int((bx + 0.25) * scale); x < int((bx + 0.75) * scale); ++x) {
                for (int k = 0; k < 3; ++k) sums[k] += At(x, y)[k];
                ++count;
            }
        }
        return {int(sums[0] / count), int(sums[1] / count), int(sums[2] / count)};
    }
};

Picture Take(PictImage& image) {
    Picture picture;
    picture.rows = image.rows;
    picture.cols = image.cols;
    picture.bgr.assign(image.data, image.data + static_cast<size_t>(image.rows) * image.cols * 3);
    lx9::FreeLockedBlock(image.data);
    image = {};
    return picture;
}

void Save(const Picture& picture, const std::string& name) {
    BITMAPINFOHEADER header;
    lx9::InitBitmapHeader(picture.cols, picture.rows, &header);
    EXPECT_TRUE(lx9test::WriteBmp(lx9test::ArtifactDir() + "\\" + name, header, picture.bgr.data())) << name;
}

// The scene's marker and patches, in blocks (centres), as the emulator draws them.
struct Landmark {
    const char* name;
    double bx, by;
};
const Landmark kMarker{"marker", 8.5, 8.5};
const Landmark kRed{"red", 9.5, 53.5}, kGreen{"green", 23.5, 53.5}, kBlue{"blue", 37.5, 53.5};
const Landmark kWhite{"white", 51.5, 53.5}, kGrey{"grey", 65.5, 53.5}, kBlack{"black", 79.5, 53.5};

// Colours that a person would call by the patch's name; B, G, R means.
void ExpectLandmarks(const Picture& p, const std::string& what) {
    SCOPED_TRACE(what);
    auto [mb, mg, mr] = p.Block(kMarker.bx, kMarker.by);
    EXPECT_TRUE(mr > 150 && mg > 130 && mb < mr - 60)
        << "yellow marker at the top left: " << mb << "," << mg << "," << mr;
    auto [rb, rg, rr] = p.Block(kRed.bx, kRed.by);
    EXPECT_TRUE(rr > rg + 50 && rr > rb + 50) << "red: " << rb << "," << rg << "," << rr;
    auto [gb, gg, gr] = p.Block(kGreen.bx, kGreen.by);
    EXPECT_TRUE(gg > gr + 40 && gg > gb + 40) << "green: " << gb << "," << gg << "," << gr;
    auto [bb, bg, br] = p.Block(kBlue.bx, kBlue.by);
    EXPECT_TRUE(bb > br + 40 && bb > bg + 40) << "blue: " << bb << "," << bg << "," << br;
    auto [wb, wg, wr] = p.Block(kWhite.bx, kWhite.by);
    auto [yb, yg, yr] = p.Block(kGrey.bx, kGrey.by);
    auto [kb, kg, kr] = p.Block(kBlack.bx, kBlack.by);
    EXPECT_TRUE(wb > 170 && wg > 170 && wr > 170) << "white: " << wb << "," << wg << "," << wr;
    EXPECT_TRUE(kb < 70 && kg < 70 && kr < 70) << "black: " << kb << "," << kg << "," << kr;
    EXPECT_TRUE(yg > kg + 30 && yg < wg - 30) << "grey between: " << yg;
    EXPECT_LT(std::max({yb, yg, yr}) - std::min({yb, yg, yr}), 40) << "grey stays grey";
}

class ChainScan : public testing::Test {
  protected:
    static void Prepare(int32_t film) {
        lx9::SetManagerLibraryName("no_such_manager.dll");
        lx9::filmType = film;
        lx9::rotate180 = 0;
        lx9test::PrepareScanner();
    }
    static void TearDownTestSuite() {
        LPT1_Close();
        lx9::SetManagerLibraryName(nullptr);
    }

    // One index group: the five raw readouts of frames top - 4 .. top, by frame.
    static std::vector<std::vector<uint8_t>> ScanIndexGroup(int top) {
        uint16_t exposures[5];
        for (int k = 0; k < 5; ++k) exposures[k] = lx9::frameBaseExposure[top - k];
        lx9::ScanWindow window{lx9::kWindowIndex,
                               static_cast<uint8_t>(lx9::filmType),
                               2,
                               static_cast<uint8_t>(top),
                               5,
                               exposures,
                               0,
                               0,
                               64,
                               112};
        EXPECT_EQ(lx9::SetScanWindow(&window), 1);
        EXPECT_EQ(lx9::StartScan(), 1);
        EXPECT_TRUE(lx9test::WaitUntilIdle());
        std::vector<std::vector<uint8_t>> raws(5, std::vector<uint8_t>(kIndexRawBytes));
        for (int i = top - 4; i <= top; ++i) {
            // Read index 0 is the highest frame of the group.
            EXPECT_EQ(lx9::ReadDeviceData(lx9::kReadImage, 1, 1, static_cast<uint32_t>(top - i),
                                          raws[i - (top - 4)].data()),
                      1);
        }
        return raws;
    }

    static PictImage Process(std::vector<uint8_t>& raw, int lines, int width, int mode, int frame,
                             uint16_t shutter, int32_t turn = 0, uint16_t* result = nullptr) {
        PictImage image{lx9::AllocLockedBlock(static_cast<size_t>(lines) * width * 3), 0, 0};
        const uint16_t exposure = lx9::ProcessFrame(nullptr, &image, raw.data(), lines, width, mode,
                                                    &lx9::frameBaseData[frame], turn, shutter, frame - 1);
        if (result) *result = exposure;
        return image;
    }

    // The raw lines of a standard or extended window, read 32 lines at a time.
    static std::vector<uint8_t> ScanLines(uint8_t mode, int frame, const RECT& crop) {
        const int lines = std::abs(crop.right - crop.left), samples = std::abs(crop.bottom - crop.top);
        const uint16_t exposure = lx9::frameExposure[frame];
        lx9::ScanWindow window{mode,
                               static_cast<uint8_t>(lx9::filmType),
                               2,
                               static_cast<uint8_t>(frame),
                               1,
                               &exposure,
                               crop.top / 2,
                               crop.left,
                               (crop.bottom - crop.top) / 2,
                               crop.right - crop.left};
        EXPECT_EQ(lx9::SetScanWindow(&window), 1);
        EXPECT_EQ(lx9::StartScan(), 1);
        EXPECT_TRUE(lx9test::WaitUntilIdle());
        const size_t total = static_cast<size_t>(lines) * samples * 2;
        std::vector<uint8_t> raw(total);
        for (size_t offset = 0; offset < total;) {
            const size_t n = std::min<size_t>(32, (total - offset) / (samples * 2)) * samples * 2;
            EXPECT_EQ(lx9::ReadDeviceData(lx9::kReadImage, 0, static_cast<uint32_t>(n),
                                          static_cast<uint32_t>(offset), raw.data() + offset),
                      1);
            offset += n;
        }
        return raw;
    }

    // The exposure measurement before a negative's standard scan: an unshaded index readout of the frame.
    static void MeasureExposure(int frame) {
        const uint16_t base = lx9::frameBaseExposure[frame];
        lx9::ScanWindow window{lx9::kWindowIndex, 0, 1, static_cast<uint8_t>(frame), 1, &base, 0, 0, 64, 112};
        ASSERT_EQ(lx9::SetScanWindow(&window), 1);
        ASSERT_EQ(lx9::StartScan(), 1);
        ASSERT_TRUE(lx9test::WaitUntilIdle());
        std::vector<uint8_t> raw(kIndexRawBytes);
        ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadImage, 1, 1, 0, raw.data()), 1);
        BaseData measured{};
        GetBaseData(&measured, raw.data(), 0);
        lx9::frameExposure[frame] = GetNewCCDShutter(base, measured.v);
    }

    // Scans every group of the cartridge into display copies; returns the sheet.
    static HGLOBAL IndexAllFrames(lx9::IndexImage* entries, std::vector<uint16_t>* exposures) {
        for (int top = lx9::frameCount; top >= 5; top -= 5) {
            auto raws = ScanIndexGroup(top);
            for (int i = top - 4; i <= top; ++i) {
                uint16_t result = 0;
                PictImage image = Process(raws[i - (top - 4)], 112, 64, lx9::kModeIndex, i,
                                          lx9::frameBaseExposure[i], lx9::rotate180, &result);
                if (exposures) (*exposures)[i] = result;
                EXPECT_EQ(image.rows, 64);
                EXPECT_EQ(image.cols, 112);
                lx9::MakeDisplayCopy(nullptr, image.data, image.rows, image.cols, &entries[i]);
                lx9::InitBitmapHeader(image.cols, image.rows, &entries[i].header);
                lx9::FreeLockedBlock(image.data);
            }
        }
        return lx9::BuildIndexSheet(lx9::frameCount, entries);
    }

    static Picture FromSheet(HGLOBAL sheet) {
        auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(sheet));
        Picture picture;
        picture.rows = header->biHeight;
        picture.cols = header->biWidth;
        const auto* pixels = reinterpret_cast<const uint8_t*>(header + 1);
        picture.bgr.assign(pixels, pixels + static_cast<size_t>(picture.rows) * picture.cols * 3);
        GlobalUnlock(sheet);
        GlobalFree(sheet);
        return picture;
    }

    static Picture FromEntry(const lx9::IndexImage& entry) {
        Picture picture;
        picture.rows = 64;
        picture.cols = 112;
        picture.bgr.assign(entry.pixels, entry.pixels + lx9::kIndexImageBytes);
        return picture;
    }

    static void Release(lx9::IndexImage* entries) {
        for (int f = 0; f <= 40; ++f) lx9::FreeLockedBlock(entries[f].pixels), entries[f].pixels = nullptr;
    }
};

// A cell of the sheet as a picture of its own (frame f of a sheet with the given rows of cells).
Picture Cell(const Picture& sheet, int frame) {
    Picture cell;
    cell.rows = 64;
    cell.cols = 112;
    const int x0 = 14 + (frame - 1) % 5 * 126, y0 = 14 + (frame - 1) / 5 * 78;  // from the top
    for (int y = 63; y >= 0; --y) {
        for (int x = 0; x < 112; ++x) {
            const uint8_t* p = sheet.At(x0 + x, y0 + y);
            cell.bgr.insert(cell.bgr.end(), p, p + 3);
        }
    }
    return cell;
}

// lx9emu --fast --standby on --cartridge 25 --film negative
class NegativeFilm : public ChainScan {
  protected:
    static void SetUpTestSuite() { Prepare(lx9::kFilmNegative); }
};

TEST_F(NegativeFilm, IndexSheetShowsEveryFrameUpright) {
    ASSERT_EQ(lx9::frameCount, 25);
    lx9::IndexImage entries[41] = {};
    std::vector<uint16_t> exposures(41);
    const Picture sheet = FromSheet(IndexAllFrames(entries, &exposures));
    Save(sheet, "negative_index_sheet.bmp");
    Save(FromEntry(entries[7]), "negative_index_frame7.bmp");
    EXPECT_EQ(sheet.cols, 644);
    EXPECT_EQ(sheet.rows, 404);
    for (int f : {1, 7, 13, 25}) ExpectLandmarks(FromEntry(entries[f]), "index frame " + std::to_string(f));
    ExpectLandmarks(Cell(sheet, 1), "sheet cell of frame 1 (top left)");
    ExpectLandmarks(Cell(sheet, 25), "sheet cell of frame 25 (bottom right)");
    for (int f = 1; f <= 25; ++f) {
        EXPECT_GT(exposures[f], 0);
        EXPECT_LE(exposures[f], 655) << "frame " << f;
    }
    Release(entries);
}

TEST_F(NegativeFilm, IndexExposureFollowsTheShadedHighlights) {
    auto raws = ScanIndexGroup(10);
    std::vector<uint8_t> copy = raws[2];  // frame 8
    uint16_t result = 0;
    PictImage image = Process(raws[2], 112, 64, lx9::kModeIndex, 8, 240, 0, &result);
    BaseData shaded{};
    GetBaseData(&shaded, raws[2].data(), 0);  // the readout as ProcessFrame left it: shaded
    unsigned m = std::max({shaded.v[0], shaded.v[1], shaded.v[2]});
    if (m < 16) m += 1;
    EXPECT_EQ(result, std::min(240u * 2304 / (m * 10), 655u));
    lx9::FreeLockedBlock(image.data);

    PictImage capped = Process(copy, 112, 64, lx9::kModeIndex, 8, 9000, 0, &result);
    EXPECT_EQ(result, 655) << "a long exposure is capped";
    lx9::FreeLockedBlock(capped.data);
}

TEST_F(NegativeFilm, TurnedIndexFrameIsTheSameFrameHalfTurned) {
    auto raws = ScanIndexGroup(5);
    std::vector<uint8_t> copy = raws[1];
    PictImage upright = Process(raws[1], 112, 64, lx9::kModeIndex, 2, lx9::frameBaseExposure[2], 0);
    PictImage turned = Process(copy, 112, 64, lx9::kModeIndex, 2, lx9::frameBaseExposure[2], 1);
    ASSERT_EQ(turned.rows, 64);
    ASSERT_EQ(turned.cols, 112);
    std::vector<uint8_t> expected(64 * 112 * 3);
    lx9::TransformImage(112, 64, upright.data, expected.data(), 180);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), turned.data));
    lx9::FreeLockedBlock(upright.data);
    lx9::FreeLockedBlock(turned.data);
}

TEST_F(NegativeFilm, StandardFrameAndItsExtendedCrop) {
    const int frame = 7;
    MeasureExposure(frame);
    lx9::cropRect = {0, 0, 896, 512};
    auto raw = ScanLines(lx9::kWindowStandard, frame, lx9::cropRect);
    ASSERT_EQ(raw.size(), kStandardRawBytes);
    uint16_t result = 0;
    PictImage image =
        Process(raw, 896, 512, lx9::kModeStandard, frame, lx9::frameExposure[frame], 0, &result);
    EXPECT_EQ(result, lx9::frameExposure[frame]) << "a standard frame keeps its exposure";
    ASSERT_EQ(image.rows, 512);
    ASSERT_EQ(image.cols, 896);
    const Picture standard = Take(image);
    Save(standard, "negative_standard_frame7.bmp");
    ExpectLandmarks(standard, "standard frame 7");
    const int16_t tone = lx9::toneIndex;
    const int16_t offsets[3] = {lx9::shiftOffsets[0], lx9::shiftOffsets[1], lx9::shiftOffsets[2]};
    const BaseData base = lx9::frameBaseData[frame];

    // The middle of the frame on the extended grid, twice the standard resolution.
    lx9::cropRect = {448, 256, 1344, 768};
    auto extendedRaw = ScanLines(lx9::kWindowExtended, frame, lx9::cropRect);
    PictImage crop =
        Process(extendedRaw, 896, 512, lx9::kModeExtended, frame, lx9::frameExposure[frame], 0, &result);
    EXPECT_EQ(result, lx9::frameExposure[frame]);
    ASSERT_EQ(crop.rows, 512);
    ASSERT_EQ(crop.cols, 896);
    EXPECT_EQ(lx9::toneIndex, tone) << "the preview's tone index is reused";
    EXPECT_TRUE(std::equal(offsets, offsets + 3, lx9::shiftOffsets));
    EXPECT_TRUE(std::equal(base.v, base.v + 6, lx9::frameBaseData[frame].v));
    const Picture extended = Take(crop);
    Save(extended, "negative_extended_frame7.bmp");

    // Pixel (x, y) of the crop shows what pixel (224 + x / 2, 128 + y / 2) of the standard frame shows.
    double difference = 0;
    int count = 0;
    for (int y = 8; y < 512; y += 16) {
        for (int x = 8; x < 896; x += 16) {
            for (int k = 0; k < 3; ++k)
                difference += std::abs(extended.At(x, y)[k] - standard.At(224 + x / 2, 128 + y / 2)[k]);
            count += 3;
        }
    }
    EXPECT_LT(difference / count, 12.0) << "the crop matches the standard frame's middle";
    lx9::cropRect = {0, 0, 896, 512};
}

// lx9emu --fast --standby on --cartridge 15 --film positive
class PositiveFilm : public ChainScan {
  protected:
    static void SetUpTestSuite() { Prepare(lx9::kFilmPositive); }
};

TEST_F(PositiveFilm, IndexSheetAndExposures) {
    ASSERT_EQ(lx9::frameCount, 15);
    EXPECT_EQ(lx9::frameBaseExposure[3], 2 * lx9::calibrationWord);
    lx9::IndexImage entries[41] = {};
    std::vector<uint16_t> exposures(41);
    lx9test::EmulatorLog log;
    log.Mark();
    const Picture sheet = FromSheet(IndexAllFrames(entries, &exposures));
    const auto lines = log.Since();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].code, "0424");
    EXPECT_EQ(lines[0].payload.substr(2 * 29, 2), "12") << "index mode bits + positive film x 16 + pass 2";
    Save(sheet, "positive_index_sheet.bmp");
    EXPECT_EQ(sheet.rows, 248);
    for (int f : {1, 15}) ExpectLandmarks(FromEntry(entries[f]), "positive index frame " + std::to_string(f));
    ExpectLandmarks(Cell(sheet, 11), "sheet cell of frame 11 (bottom left)");
    for (int f = 1; f <= 15; ++f)
        EXPECT_EQ(exposures[f], lx9::frameBaseExposure[f]) << "positive film keeps it";
    Release(entries);
}

TEST_F(PositiveFilm, StandardFrame) {
    lx9::cropRect = {0, 0, 896, 512};
    auto raw = ScanLines(lx9::kWindowStandard, 4, lx9::cropRect);
    uint16_t result = 0;
    PictImage image = Process(raw, 896, 512, lx9::kModeStandard, 4, 321, 0, &result);
    EXPECT_EQ(result, 321);
    const Picture standard = Take(image);
    Save(standard, "positive_standard_frame4.bmp");
    ExpectLandmarks(standard, "positive standard frame 4");
}

}  // namespace
