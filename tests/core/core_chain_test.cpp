// The scanner core's pure parts built natively: the chain's guards and turns on made-up readouts, the
// transferred pixels and their SANE picture, the request limits, and the error report without windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "chain/transfer_pixels.h"
#include "chain/transform_image.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "picture.h"
#include "session.h"

namespace {

using lx9::sane::Picture;

// A readout whose levels spread over 40..159 (a negative with some contrast).
std::vector<uint8_t> SpreadReadout(size_t bytes) {
    std::vector<uint8_t> raw(bytes);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<uint8_t>(40 + (i % 1024 * 7 + i / 1024 * 3) % 120);
    return raw;
}

// ProcessFrame of a copy of raw; the output's pixels (rows x cols x 3), empty when it refused.
std::vector<uint8_t> Processed(std::vector<uint8_t> raw, int lines, int width, int mode, int32_t turn,
                               int* rows = nullptr, int* cols = nullptr) {
    BaseData base{};
    PictImage image{lx9::AllocLockedBlock(static_cast<size_t>(lines) * width * 3), 0, 0};
    uint8_t* const extraction = image.data;
    lx9::ProcessFrame(nullptr, &image, raw.data(), lines, width, mode, &base, turn, 200, 0);
    if (image.data == extraction) {
        lx9::FreeLockedBlock(extraction);
        return {};
    }
    if (rows) *rows = image.rows;
    if (cols) *cols = image.cols;
    std::vector<uint8_t> pixels(image.data, image.data + static_cast<size_t>(image.rows) * image.cols * 3);
    lx9::FreeLockedBlock(image.data);
    return pixels;
}

class Chain : public testing::Test {
  protected:
    void SetUp() override {
        lx9::filmType = lx9::kFilmPositive;
        lx9::cropRect = {0, 0, 896, 512};
    }
    void TearDown() override { lx9::cropRect = {0, 0, 896, 512}; }
};

TEST_F(Chain, GeometryThatDoesNotFitLeavesImageAndReadoutAlone) {
    struct Case {
        int lines, width, mode;
        lx9::CropRect crop;
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
        BaseData base{};
        EXPECT_EQ(lx9::ProcessFrame(nullptr, &image, raw.data(), c.lines, c.width, c.mode, &base, 0, 300, 0),
                  0)
            << c.lines << " x " << c.width << " mode " << c.mode;
        EXPECT_TRUE(image.data == block && image.rows == 64 && image.cols == 112);
        EXPECT_EQ(raw[0], 77) << "the readout is left alone";
        lx9::FreeLockedBlock(block);
    }
}

TEST_F(Chain, TurnedIndexFrameIsTheUprightOneHalfTurned) {
    for (const int32_t film : {lx9::kFilmNegative, lx9::kFilmPositive}) {
        lx9::filmType = film;
        const std::vector<uint8_t> raw = SpreadReadout(21504);
        int rows = 0, cols = 0;
        const std::vector<uint8_t> upright = Processed(raw, 112, 64, lx9::kModeIndex, 0, &rows, &cols);
        const std::vector<uint8_t> turned = Processed(raw, 112, 64, lx9::kModeIndex, 1);
        ASSERT_EQ(rows, 64);
        ASSERT_EQ(cols, 112);
        ASSERT_EQ(turned.size(), upright.size());
        std::vector<uint8_t> expected(upright.size());
        lx9::TransformImage(cols, rows, upright.data(), expected.data(), 180);
        EXPECT_EQ(turned, expected) << "film " << film;
    }
}

TEST_F(Chain, StandardAndExtendedFramesComeBackOnTheirSide) {
    int rows = 0, cols = 0;
    EXPECT_EQ(Processed(SpreadReadout(917504), 896, 512, lx9::kModeStandard, 0, &rows, &cols).size(),
              size_t{1376256});
    EXPECT_EQ(rows, 512);
    EXPECT_EQ(cols, 896);
    lx9::cropRect = {100, 40, 300, 200};  // 200 lines of 160 samples from sensor column 40
    EXPECT_EQ(Processed(SpreadReadout(200 * 160 * 2), 200, 160, lx9::kModeExtended, 0, &rows, &cols).size(),
              size_t{200 * 160 * 3});
    EXPECT_EQ(rows, 160);
    EXPECT_EQ(cols, 200);
}

// A rows x cols bottom-up image whose pixel (column x, DIB row r) is (b, g, r) = (x, r, 100 + x + r).
std::vector<uint8_t> Numbered(int rows, int cols) {
    std::vector<uint8_t> bits;
    for (int r = 0; r < rows; ++r) {
        for (int x = 0; x < cols; ++x) {
            bits.push_back(static_cast<uint8_t>(x));
            bits.push_back(static_cast<uint8_t>(r));
            bits.push_back(static_cast<uint8_t>(100 + x + r));
        }
    }
    return bits;
}

TEST(TransferredPicture, IsTheDibUprightInRedGreenBlue) {
    const int rows = 3, cols = 8;  // 24 bytes a row: no filler, as every frame width
    std::vector<uint8_t> data = Numbered(rows, cols);
    const PictImage image{data.data(), rows, cols};
    ASSERT_EQ(lx9::TransferPixelBytes(image), data.size());

    std::vector<uint8_t> bits(data.size());
    lx9::CopyTransferPixels(image, 0, bits.data());
    EXPECT_EQ(bits, data) << "unturned, the image's rows are the DIB's";
    Picture picture;
    lx9::sane::PictureFromDib(bits.data(), cols, rows, &picture);
    ASSERT_EQ(picture.width, cols);
    ASSERT_EQ(picture.height, rows);
    ASSERT_EQ(picture.rgb.size(), data.size());
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * cols + x) * 3];
            const int dibRow = rows - 1 - y;  // the DIB's last row is the top
            EXPECT_EQ(p[0], 100 + x + dibRow) << x << "," << y;
            EXPECT_EQ(p[1], dibRow);
            EXPECT_EQ(p[2], x);
        }
    }

    lx9::CopyTransferPixels(image, 1, bits.data());
    Picture turned;
    lx9::sane::PictureFromDib(bits.data(), cols, rows, &turned);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            EXPECT_EQ(0, std::memcmp(
                             &turned.rgb[(static_cast<size_t>(y) * cols + x) * 3],
                             &picture.rgb[(static_cast<size_t>(rows - 1 - y) * cols + cols - 1 - x) * 3], 3))
                << "turned: the top left is the unturned bottom right, " << x << "," << y;
        }
    }
}

TEST(RequestLimits, SizesAreKnownBeforeTheScan) {
    using lx9::sane::FrameRequest;
    using lx9::sane::Mode;
    using lx9::sane::Status;
    struct Case {
        Mode mode;
        int frame, film;
        int32_t crop[4];
        Status status;
        int width, height;
    };
    const Case cases[] = {
        {Mode::kIndex, 1, 0, {}, Status::kGood, 112, 64},
        {Mode::kStandard, 40, 1, {}, Status::kGood, 896, 512},
        {Mode::kExtended, 3, 0, {4, 0, 1796, 256}, Status::kGood, 1792, 256},  // the crop window's widest
        {Mode::kExtended, 3, 0, {100, 40, 300, 200}, Status::kGood, 200, 160},
        {Mode::kExtended, 3, 0, {0, 0, 1792, 1024}, Status::kInvalid, 0, 0},  // more than the buffer holds
        {Mode::kExtended, 3, 0, {0, 0, 1800, 4}, Status::kInvalid, 0, 0},     // past the frame
        {Mode::kExtended, 3, 0, {0, 1020, 4, 1028}, Status::kInvalid, 0, 0},  // past the sensor
        {Mode::kExtended, 3, 0, {8, 0, 8, 64}, Status::kInvalid, 0, 0},       // empty
        {Mode::kExtended, 3, 0, {300, 0, 100, 64}, Status::kInvalid, 0, 0},   // the wrong way round
        {Mode::kExtended, 3, 0, {0, 0, 102, 64}, Status::kInvalid, 0, 0},     // rows with filler
        {Mode::kStandard, 0, 0, {}, Status::kInvalid, 0, 0},
        {Mode::kStandard, 41, 0, {}, Status::kInvalid, 0, 0},
        {Mode::kStandard, 1, 2, {}, Status::kInvalid, 0, 0},
    };
    for (const Case& c : cases) {
        FrameRequest request;
        request.mode = c.mode;
        request.frame = c.frame;
        request.film = c.film;
        std::memcpy(request.crop, c.crop, sizeof request.crop);
        int width = 0, height = 0;
        EXPECT_EQ(lx9::sane::PredictSize(request, &width, &height), c.status)
            << "frame " << c.frame << " crop " << c.crop[0] << "," << c.crop[1] << "," << c.crop[2] << ","
            << c.crop[3];
        if (c.status == Status::kGood) {
            EXPECT_TRUE(width == c.width && height == c.height) << width << "x" << height;
        }
    }
}

int releases = 0;
void CountRelease() {
    ++releases;
}

TEST(ErrorReport, WithoutWindowsTheSinkGetsTheTextAndTheWorkEnds) {
    lx9::UseMessages(0);
    lx9::ClearErrorFlags();
    struct Case {
        uint16_t lastError;
        int32_t* flag;
        const char* text;
    };
    const Case cases[] = {
        {0, nullptr, "Errorcode Error."},
        {0, &lx9::memoryFailed, "Memory Empty."},
        {0, &lx9::idMismatch, "It's impossible to get Device ID.\nMaybe another device is connected."},
        {0, &lx9::cartridgeFailed, "Cartridge?"},
        {258, nullptr, "Communication Error."},
        {260, nullptr, "Can't open Printer-Port (LPT1)."},
        {261, nullptr, "Memory Empty."},
        {65535, nullptr, "LX-9 is not connected ,or POWER Off."},
        {300, nullptr, "Errorcode Error."},
    };
    lx9::SetPreviewBuffersRelease(CountRelease);
    lx9::SetIndexImagesRelease(CountRelease);
    for (const Case& c : cases) {
        lx9::ClearErrorFlags();
        if (c.flag) *c.flag = 1;
        releases = 0;
        lx9::ReportSink sink;
        EXPECT_FALSE(lx9::ReportEnded(&sink));
        lx9::ReportDeviceErrorFor(&sink, c.lastError);
        EXPECT_TRUE(lx9::ReportEnded(&sink));
        EXPECT_EQ(sink.lastError, c.lastError);
        EXPECT_STREQ(sink.text, c.text);
        EXPECT_EQ(releases, 2) << "preview buffers and index images";
    }
    lx9::SetPreviewBuffersRelease(nullptr);
    lx9::SetIndexImagesRelease(nullptr);
    lx9::ClearErrorFlags();
    EXPECT_TRUE(lx9::ReportEnded(nullptr)) << "nothing to go on with";

    char small[8];
    lx9::DeviceErrorText(258, small, sizeof small);
    EXPECT_STREQ(small, "Communi") << "cut to the room given";
}

}  // namespace
