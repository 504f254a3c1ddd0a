// The image group around the transfers: image information, palette, CIE colour and the transfer group.
#include "ds_twain_support.h"

#include "twain/source_state.h"
#include "twain/transfer_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

using namespace lx9test;

namespace {

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    }
    void TearDown() override { ResetModule(); }
    TW_UINT16 Info(TW_IMAGEINFO& info) { return app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info); }
    Application app;
    BoxWatcher boxes;
};

const char* kFileOpen = "General failure in transfer file open.  An operation error just occurred.";
const char* kBadHeader = "General failure in transfer bad info header info.  Bad value error.";

TEST_F(ImageTest, InformationDescribesTheStoredImage) {
    ControlFiles files;
    StoreImageAndNotify(MakeImage(100, 10));
    TW_IMAGEINFO info;
    std::memset(&info, 0x5a, sizeof info);
    ASSERT_EQ(Info(info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 72);
    EXPECT_EQ(info.YResolution.Whole, 72);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.ImageLength, 10);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.Planar, FALSE);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    EXPECT_EQ(info.Compression, TWCP_NONE);
    const TW_INT16 bits[8] = {24, 24, 24, 24, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(info.BitsPerSample[i], bits[i]) << i;

    lx9::StoreTransferImage(MakeImage(16, 4, 8, 3));
    info.Compression = 77;
    ASSERT_EQ(Info(info), TWRC_SUCCESS);
    EXPECT_EQ(info.SamplesPerPixel, 1);
    EXPECT_EQ(info.BitsPerSample[0], 8);
    EXPECT_EQ(info.BitsPerSample[1], 0);
    EXPECT_EQ(info.PixelType, TWPT_PALETTE);
    EXPECT_EQ(info.Compression, TWCP_NONE);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ImageTest, InformationResolutionFollowsTheUnit) {
    const std::tuple<const char*, bool, TW_INT16, TW_UINT16> units[] = {
        {"Current=TWUN_INCHES", true, 72, 0}, {"Current=TWUN_CENTIMETERS", true, 28, 22705},
        {"Current=TWUN_PIXELS", true, 1, 0},  {"Current=TWUN_PICAS", false, 0, 0},
        {"Current=FURLONGS", false, 0, 0},    {"NoCurrent=1", false, 0, 0},
    };
    for (const auto& [entry, known, whole, frac] : units) {
        boxes.Clear();
        ControlFiles files(std::string("[ICAP_UNITS]\r\n") + entry + "\r\n");
        StoreImageAndNotify(MakeImage(8, 8));
        TW_IMAGEINFO info{};
        if (!known) {
            EXPECT_EQ(Info(info), TWRC_FAILURE) << entry;
            EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kFileOpen}) << entry;
            continue;
        }
        ASSERT_EQ(Info(info), TWRC_SUCCESS) << entry;
        EXPECT_EQ(info.XResolution.Whole, whole) << entry;
        EXPECT_EQ(info.XResolution.Frac, frac) << entry;
        EXPECT_EQ(info.YResolution.Whole, whole) << entry;
        EXPECT_EQ(info.YResolution.Frac, frac) << entry;
    }
}

TEST_F(ImageTest, InformationRefusals) {
    ControlFiles files;
    {
        ScopedFile noInitial(InitialControlFile(), std::nullopt);
        StoreImageAndNotify(MakeImage(8, 8));
        TW_IMAGEINFO info{};
        EXPECT_EQ(Info(info), TWRC_FAILURE);
        EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    }
    HGLOBAL image = MakeImage(8, 8);
    static_cast<BITMAPINFOHEADER*>(GlobalLock(image))->biSize = 108;
    GlobalUnlock(image);
    StoreImageAndNotify(image);
    TW_IMAGEINFO info{};
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);

    // State 6 after the image went to the application: nothing to describe, nothing read.
    HANDLE handle = nullptr;
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    GlobalFree(handle);
    std::memset(&info, 0x5a, sizeof info);
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(info.ImageWidth, 0x5a5a5a5a);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 "Unable to find LX-9 Initial Control",
                                 kFileOpen,
                                 kBadHeader,
                                 "General failure in transfer.  DG DAT MSG is out of expected sequence.",
                             }));
}

TEST_F(ImageTest, PaletteOfTheStoredImage) {
    lx9::sourceState = 600;
    TW_PALETTE8 palette;
    std::memset(&palette, 0xee, sizeof palette);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);  // nothing stored
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(palette.NumColors, 0xeeee);

    lx9::StoreTransferImage(MakeImage(16, 4, 8, 3));
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
    EXPECT_EQ(palette.NumColors, 3);
    EXPECT_EQ(palette.PaletteType, TWPA_RGB);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(palette.Colors[i].Index, i);
        EXPECT_EQ(palette.Colors[i].Channel1, 255 - i);  // red
        EXPECT_EQ(palette.Colors[i].Channel2, 2 * i);    // green
        EXPECT_EQ(palette.Colors[i].Channel3, i);        // blue
    }
    EXPECT_EQ(palette.Colors[3].Index, 0xee);
    lx9::StoreTransferImage(MakeImage(16, 4));
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
    EXPECT_EQ(palette.NumColors, 0);

    // More colours than the application's 256 entries hold.
    lx9::StoreTransferImage(MakeImage(4, 4, 8, 300));
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "General failure in response to DAT_PALETTE8.  DG DAT MSG is out of expected sequence.",
                  kBadHeader}));
}

TEST_F(ImageTest, CieColourWritesFourSamplesAndNothingBeyond) {
    struct {
        TW_CIECOLOR color;
        TW_FIX32 more[3];
        TW_FIX32 guard;
    } data;
    std::memset(&data, 0x77, sizeof data);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_CIECOLOR, MSG_RESET, &data), TWRC_SUCCESS);
    const TW_CIECOLOR& c = data.color;
    EXPECT_EQ(c.ColorSpace, 2);
    EXPECT_EQ(c.DeviceDependent, 1);
    EXPECT_EQ(c.StageABC.Decode[0].StartIn.Whole, 0);  // 0.1
    EXPECT_EQ(c.StageLMN.Decode[0].StartIn.Whole, 1);  // 1.1
    EXPECT_EQ(c.StageLMN.Mix[2][1].Whole, 2);          // 2.1
    EXPECT_EQ(c.StageLMN.Mix[2][1].Frac, 0);
    EXPECT_EQ(c.WhitePoint.Z.Whole, 6);
    EXPECT_EQ(c.BlackInk.X.Whole, 1);
    EXPECT_EQ(c.Samples[0].Whole, 99);
    EXPECT_EQ(data.more[2].Whole, 96);
    EXPECT_EQ(data.guard.Whole, 0x7777);
    EXPECT_EQ(c.StageABC.Decode[0].BreakIn.Whole, 0x7777);  // fields not listed are not written
}

TEST_F(ImageTest, TransferGroupWritesSixteenBitsOnly) {
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
        TW_UINT32 group = 0xaaaabbbb;
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, msg, &group), TWRC_SUCCESS);
        EXPECT_EQ(group, 0xaaaa0002u);
    }
    TW_UINT32 group = DG_CONTROL;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, MSG_SET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, DG_CONTROL);
}

}  // namespace
