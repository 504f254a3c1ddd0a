// The image group around the transfers: image information, palette, layout, CIE colour, JPEG compression,
// and the transfer set-up operations.
#include "ds_twain_support.h"

#include "twain/source_state.h"
#include "twain/transfer_image.h"

#include <gtest/gtest.h>

#include <cstring>
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

const char* kSequence = "DG DAT MSG is out of expected sequence.";

TEST_F(ImageTest, InformationDescribesTheStoredImageInTheCurrentUnit) {
    ControlFiles files;
    StoreImageAndNotify(MakeImage(100, 10));
    TW_IMAGEINFO info;
    std::memset(&info, 0x5a, sizeof info);
    ASSERT_EQ(Info(info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 72);
    EXPECT_EQ(info.XResolution.Frac, 0);
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
    EXPECT_EQ(lx9::sourceState, 600);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ImageTest, InformationResolutionFollowsTheUnit) {
    const std::tuple<const char*, TW_INT16, TW_UINT16> units[] = {
        {"TWUN_INCHES", 72, 0}, {"TWUN_CENTIMETERS", 28, 22705}, {"TWUN_PIXELS", 1, 0}};
    for (const auto& [unit, whole, frac] : units) {
        ControlFiles files(std::string("[ICAP_UNITS]\r\nCurrent=") + unit + "\r\n");
        StoreImageAndNotify(MakeImage(8, 8));
        TW_IMAGEINFO info{};
        ASSERT_EQ(Info(info), TWRC_SUCCESS) << unit;
        EXPECT_EQ(info.XResolution.Whole, whole) << unit;
        EXPECT_EQ(info.XResolution.Frac, frac) << unit;
        EXPECT_EQ(info.YResolution.Whole, whole) << unit;
        EXPECT_EQ(info.YResolution.Frac, frac) << unit;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ImageTest, InformationFailsForAnUnknownOrMissingUnit) {
    const char* kFileOpen = "General failure in transfer file open.  An operation error just occurred.";
    for (const char* source : {"[ICAP_UNITS]\r\nCurrent=TWUN_PICAS\r\n",
                               "[ICAP_UNITS]\r\nCurrent=FURLONGS\r\n", "[ADF]\r\nPendingImages=0\r\n"}) {
        boxes.Clear();
        ControlFiles files(source);
        StoreImageAndNotify(MakeImage(8, 8));
        TW_IMAGEINFO info{};
        EXPECT_EQ(Info(info), TWRC_FAILURE) << source;
        EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kFileOpen}) << source;
    }
}

TEST_F(ImageTest, InformationFailsWhenAControlFileIsMissing) {
    ControlFiles files(ControlFiles::DefaultSourceControl(), ControlFiles::DefaultInitialControl());
    ScopedFile noInitial(InitialControlFile(), std::nullopt);
    StoreImageAndNotify(MakeImage(8, 8));
    TW_IMAGEINFO info{};
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "Unable to find LX-9 Initial Control",
                  "General failure in transfer file open.  An operation error just occurred."}));
}

TEST_F(ImageTest, InformationIsForStateSixAndAStoredImageOnly) {
    ControlFiles files;
    lx9::StoreTransferImage(MakeImage(8, 8));
    lx9::sourceState = 500;
    TW_IMAGEINFO info{};
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    lx9::sourceState = 600;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_SET, &info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);

    // The image has gone to the application: state 6, nothing to describe.
    HANDLE handle = nullptr;
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    GlobalFree(handle);
    std::memset(&info, 0x5a, sizeof info);
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(info.ImageWidth, 0x5a5a5a5a);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 std::string("General failure in transfer.  ") + kSequence,
                                 "General failure in transfer.  Bad protocol error.",
                                 std::string("General failure in transfer.  ") + kSequence,
                             }));
}

TEST_F(ImageTest, InformationRefusesAHeaderOfAnotherSize) {
    ControlFiles files;
    HGLOBAL image = MakeImage(8, 8);
    static_cast<BITMAPINFOHEADER*>(GlobalLock(image))->biSize = 108;
    GlobalUnlock(image);
    StoreImageAndNotify(image);
    TW_IMAGEINFO info{};
    EXPECT_EQ(Info(info), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "General failure in transfer bad info header info.  Bad value error."});
}

TEST_F(ImageTest, InformationForAPaletteImage) {
    ControlFiles files;
    StoreImageAndNotify(MakeImage(16, 4, 8, 3));
    TW_IMAGEINFO info{};
    info.Compression = 77;
    ASSERT_EQ(Info(info), TWRC_SUCCESS);
    EXPECT_EQ(info.SamplesPerPixel, 1);
    EXPECT_EQ(info.BitsPerSample[0], 8);
    EXPECT_EQ(info.BitsPerSample[1], 0);
    EXPECT_EQ(info.BitsPerPixel, 8);
    EXPECT_EQ(info.PixelType, TWPT_PALETTE);
    EXPECT_EQ(info.Compression, TWCP_NONE);
}

TEST_F(ImageTest, PaletteOfTheStoredImage) {
    lx9::sourceState = 600;
    lx9::StoreTransferImage(MakeImage(16, 4, 8, 3));
    TW_PALETTE8 palette;
    std::memset(&palette, 0xee, sizeof palette);
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
    for (TW_UINT16 msg : {MSG_GETDEFAULT, MSG_SET, MSG_RESET})
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, msg, &palette), TWRC_SUCCESS);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ImageTest, PaletteRefusals) {
    TW_PALETTE8 palette{};
    // No image stored: refused, never read.
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    // A colour count beyond the 256 entries of the application's structure.
    HGLOBAL image = MakeImage(4, 4, 8, 300);
    lx9::StoreTransferImage(image);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GETCURRENT, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);
    lx9::sourceState = 700;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GETDEFAULT, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                                 std::string("General failure in response to DAT_PALETTE8.  ") + kSequence,
                                 "General failure in transfer bad info header info.  Bad value error.",
                                 "General failure in response to DAT_PALETTE8.  Bad protocol error.",
                                 std::string("General failure in response to DAT_PALETTE8.  ") + kSequence,
                             }));
}

TEST_F(ImageTest, LayoutIsAFixedAnswerInAnyState) {
    for (int32_t state : {300, 400, 600}) {
        lx9::sourceState = state;
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            TW_IMAGELAYOUT layout{};
            ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, msg, &layout), TWRC_SUCCESS);
            for (const TW_FIX32& edge :
                 {layout.Frame.Left, layout.Frame.Top, layout.Frame.Right, layout.Frame.Bottom}) {
                EXPECT_EQ(edge.Whole, 22);
                EXPECT_EQ(edge.Frac, 33);
            }
            EXPECT_EQ(layout.DocumentNumber, 4u);
            EXPECT_EQ(layout.PageNumber, 88u);
            EXPECT_EQ(layout.FrameNumber, 1u);
        }
        TW_IMAGELAYOUT layout{};
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, &layout), TWRC_SUCCESS);
    }
    TW_IMAGELAYOUT layout{};
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_ENDXFER, &layout), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"General failure in response to DAT_IMAGEINFO.  Bad protocol error."});
}

TEST_F(ImageTest, CieColourKeepsTheWholePartsAndFourSamples) {
    struct {
        TW_CIECOLOR color;
        TW_FIX32 more[3];
        TW_FIX32 guard;
    } data;
    std::memset(&data, 0x77, sizeof data);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_CIECOLOR, MSG_GET, &data), TWRC_SUCCESS);
    const TW_CIECOLOR& c = data.color;
    EXPECT_EQ(c.ColorSpace, 2);
    EXPECT_EQ(c.LowEndian, 0);
    EXPECT_EQ(c.DeviceDependent, 1);
    EXPECT_EQ(c.VersionNumber, 0);
    EXPECT_EQ(c.StageABC.Decode[0].StartIn.Whole, 0);
    EXPECT_EQ(c.StageLMN.Decode[0].StartIn.Whole, 1);
    const int mix[3][3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(c.StageABC.Mix[r][k].Whole, mix[r][k]);
            EXPECT_EQ(c.StageLMN.Mix[r][k].Whole, mix[r][k]);
            EXPECT_EQ(c.StageABC.Mix[r][k].Frac, 0);
        }
    EXPECT_EQ(c.WhitePoint.X.Whole, 4);
    EXPECT_EQ(c.WhitePoint.Y.Whole, 5);
    EXPECT_EQ(c.WhitePoint.Z.Whole, 6);
    for (const TW_CIEPOINT& p : {c.BlackPoint, c.WhitePaper, c.BlackInk}) {
        EXPECT_EQ(p.X.Whole, 1);
        EXPECT_EQ(p.Y.Whole, 5);
        EXPECT_EQ(p.Z.Whole, 6);
    }
    EXPECT_EQ(c.Samples[0].Whole, 99);
    EXPECT_EQ(data.more[0].Whole, 98);
    EXPECT_EQ(data.more[1].Whole, 97);
    EXPECT_EQ(data.more[2].Whole, 96);
    EXPECT_EQ(data.more[2].Frac, 0);
    EXPECT_EQ(data.guard.Whole, 0x7777);                    // nothing beyond the fourth sample
    EXPECT_EQ(c.StageABC.Decode[0].BreakIn.Whole, 0x7777);  // fields not listed are not written
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_CIECOLOR, MSG_RESET, &data), TWRC_SUCCESS);
}

TEST_F(ImageTest, JpegCompressionAcceptsAnything) {
    for (TW_UINT16 msg : {MSG_GET, MSG_SET, MSG_RESET, MSG_ENDXFER}) {
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_JPEGCOMPRESSION, msg, nullptr), TWRC_SUCCESS);
        lx9::sourceState = 300;
    }
    EXPECT_EQ(app.Status(), TWCC_SUCCESS);
}

TEST_F(ImageTest, TransferGroupIsImagesOnly) {
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
        TW_UINT32 group = 0xaaaabbbb;
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, msg, &group), TWRC_SUCCESS);
        EXPECT_EQ(group, 0xaaaa0002u);  // the upper half is the application's
    }
    TW_UINT32 group = DG_CONTROL;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, MSG_SET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, DG_CONTROL);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, MSG_ENDXFER, &group), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);
    lx9::sourceState = 700;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  "General failure in response to DAT_XFERGROUP, not supported.  Bad protocol error.",
                  std::string("General failure in response to DAT_XFERGROUP, not supported.  ") + kSequence,
              }));
}

TEST_F(ImageTest, MemorySetupReportsTheControlFileOrItsDefaults) {
    {
        ControlFiles files("[Setup Memory Transfer]\r\nMin=336\r\nMax=65536\r\nPreferred=16384\r\n");
        TW_SETUPMEMXFER setup{};
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        EXPECT_EQ(setup.MinBufSize, 336u);
        EXPECT_EQ(setup.MaxBufSize, 65536u);
        EXPECT_EQ(setup.Preferred, 16384u);
    }
    ControlFiles files("[ADF]\r\nPendingImages=0\r\n");
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 512u);
    EXPECT_EQ(setup.MaxBufSize, 2048u);
    EXPECT_EQ(setup.Preferred, 1024u);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET, &setup), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL);
    lx9::sourceState = 700;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(
        boxes.Texts(),
        (std::vector<std::string>{
            "General failure in response to DAT_SETUPMEMXFER, not supported.  Bad protocol error.",
            std::string("General failure in response to DAT_SETUPMEMXFER, not supported.  ") + kSequence,
        }));
}

}  // namespace
