// DAT_CAPABILITY through DS_Entry: every shipped capability, the rules of building, setting and resetting,
// and the response tables.
#include "ds_caps_support.h"

#include "caps/capability_ops.h"
#include "caps/value_text.h"
#include "twain/source_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace lx9test;

namespace {

constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001, ICAP_COMPRESSION = 0x0100, ICAP_PIXELTYPE = 0x0101,
                    ICAP_UNITS = 0x0102, ICAP_XFERMECH = 0x0103, CAP_SUPPORTEDCAPS = 0x1005,
                    CAP_AUTOFEED = 0x1007, CAP_INDICATORS = 0x100b, CAP_UICONTROLLABLE = 0x100e,
                    CAP_DEVICEONLINE = 0x100f, ICAP_PHYSICALWIDTH = 0x1111, ICAP_PHYSICALHEIGHT = 0x1112,
                    ICAP_XRESOLUTION = 0x1118, ICAP_YRESOLUTION = 0x1119, ICAP_BITORDER = 0x111c,
                    ICAP_PIXELFLAVOR = 0x111f, ICAP_PLANARCHUNKY = 0x1120, ICAP_BITDEPTH = 0x112b,
                    ICAP_BRIGHTNESS = 0x1101;

std::string Current(const char* section) {
    return ProfileText(SourceControlFile(), section, "Current");
}
std::string SourceText() {
    return ReadFileText(SourceControlFile()).value_or("");
}

class NegotiationTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    Application app;
    BoxWatcher boxes;
};

// ---------------------------------------------------------------------------------------------------------
// The shipped files

class ShippedTest : public NegotiationTest {
  protected:
    ControlFiles files{ShippedSourceControl(), ShippedInitialControl()};
};

struct Expected {
    TW_UINT16 cap;
    TW_UINT16 itemType;
    TW_UINT16 getContainer;
    std::vector<int64_t> allowed;  // enumeration or array items; for a one value its item
    int64_t current;
};

const Expected kShipped[] = {
    {CAP_XFERCOUNT, TWTY_INT16, TWON_ONEVALUE, {}, 0xFFFFFFFF},
    {ICAP_COMPRESSION, TWTY_UINT16, TWON_ENUMERATION, {0}, 0},
    {ICAP_PIXELTYPE, TWTY_UINT16, TWON_ENUMERATION, {2}, 2},
    {ICAP_UNITS, TWTY_UINT16, TWON_ENUMERATION, {0, 1, 5}, 0},
    {ICAP_XFERMECH, TWTY_UINT16, TWON_ENUMERATION, {0, 2}, 0},
    {CAP_AUTOFEED, TWTY_BOOL, TWON_ONEVALUE, {}, 0},
    {CAP_INDICATORS, TWTY_BOOL, TWON_ONEVALUE, {}, 1},
    {CAP_UICONTROLLABLE, TWTY_BOOL, TWON_ONEVALUE, {}, 0},
    {CAP_DEVICEONLINE, TWTY_BOOL, TWON_ONEVALUE, {}, 1},
    {ICAP_XRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, {417, 835}, 417},
    {ICAP_YRESOLUTION, TWTY_FIX32, TWON_ENUMERATION, {417, 835}, 417},
    {ICAP_BITORDER, TWTY_UINT16, TWON_ENUMERATION, {1}, 1},
    {ICAP_PIXELFLAVOR, TWTY_UINT16, TWON_ENUMERATION, {0}, 0},
    {ICAP_PLANARCHUNKY, TWTY_UINT16, TWON_ENUMERATION, {0}, 0},
    {ICAP_BITDEPTH, TWTY_UINT16, TWON_ENUMERATION, {8}, 8},
};

TEST_F(ShippedTest, GetGetCurrentAndGetDefaultOfEachCapability) {
    for (const Expected& e : kShipped) {
        SCOPED_TRACE(e.cap);
        Reply get = Request(app, e.cap, MSG_GET);
        ASSERT_EQ(get.rc, TWRC_SUCCESS);
        ASSERT_TRUE(get.container);
        EXPECT_EQ(get.container->conType, e.getContainer);
        EXPECT_EQ(get.container->itemType, e.itemType);
        if (e.getContainer == TWON_ENUMERATION) {
            EXPECT_EQ(get.container->items, e.allowed);
            EXPECT_EQ(get.container->currentIndex, 0u);
            EXPECT_EQ(get.container->defaultIndex, 0u);
            EXPECT_EQ(get.container->blockSize,
                      14 + e.allowed.size() * (e.itemType == TWTY_FIX32 ? 4 : 2) + 1);
        } else {
            EXPECT_EQ(get.container->blockSize, 6u);
            EXPECT_EQ(get.container->item, e.current);
        }
        for (TW_UINT16 msg : {MSG_GETCURRENT, MSG_GETDEFAULT}) {
            Reply one = Request(app, e.cap, msg);
            ASSERT_EQ(one.rc, TWRC_SUCCESS);
            ASSERT_TRUE(one.container);
            EXPECT_EQ(one.container->conType, TWON_ONEVALUE);
            EXPECT_EQ(one.container->itemType, e.itemType);
            EXPECT_EQ(one.container->item, e.current);
            EXPECT_EQ(one.condition, TWCC_SUCCESS);
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, PhysicalSizeIsTheFilmFrame) {
    const Reply width = Request(app, ICAP_PHYSICALWIDTH, MSG_GET);
    const Reply height = Request(app, ICAP_PHYSICALHEIGHT, MSG_GETCURRENT);
    ASSERT_TRUE(width.container && height.container);
    EXPECT_EQ(width.container->itemType, TWTY_FIX32);
    EXPECT_NEAR(lx9::Fix32ToReal(Fix(width.container->item)), 30.2 / 25.4, 1e-4);
    EXPECT_NEAR(lx9::Fix32ToReal(Fix(height.container->item)), 16.7 / 25.4, 1e-4);
}

TEST_F(ShippedTest, SupportedCapsListsEveryCapabilityAndEachAnswers) {
    Reply get = Request(app, CAP_SUPPORTEDCAPS, MSG_GET);
    ASSERT_EQ(get.rc, TWRC_SUCCESS);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->conType, TWON_ARRAY);
    EXPECT_EQ(get.container->itemType, TWTY_UINT16);
    EXPECT_EQ(get.container->blockSize, 6 + 18 * 2 + 1u);
    std::vector<int64_t> expected = {CAP_SUPPORTEDCAPS, ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT};
    for (const Expected& e : kShipped) expected.push_back(e.cap);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(get.container->items, expected);
    for (int64_t cap : get.container->items) {
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            EXPECT_EQ(Request(app, static_cast<TW_UINT16>(cap), msg).rc, TWRC_SUCCESS) << cap << " " << msg;
        }
    }
    const Reply current = Request(app, CAP_SUPPORTEDCAPS, MSG_GETCURRENT);
    ASSERT_TRUE(current.container);
    EXPECT_EQ(current.container->items, expected);  // the whole array, not a text cut short
}

struct Settable {
    TW_UINT16 cap;
    TW_UINT16 itemType;
    const char* section;
    uint32_t valid;
    const char* written;
    uint32_t invalid;
    const char* powerOnCurrent;
};

const Settable kSettable[] = {
    {CAP_XFERCOUNT, TWTY_INT16, "CAP_XFERCOUNT", 5, "5", 41, "-1"},
    {ICAP_COMPRESSION, TWTY_UINT16, "ICAP_COMPRESSION", 0, "TWCP_NONE", 6, "TWCP_NONE"},
    {ICAP_PIXELTYPE, TWTY_UINT16, "ICAP_PIXELTYPE", 2, "TWPT_RGB", 1, "TWPT_RGB"},
    {ICAP_UNITS, TWTY_UINT16, "ICAP_UNITS", 1, "TWUN_CENTIMETERS", 2, "TWUN_INCHES"},
    {ICAP_XFERMECH, TWTY_UINT16, "ICAP_XFERMECH", 2, "TWSX_MEMORY", 1, "TWSX_NATIVE"},
    {CAP_AUTOFEED, TWTY_BOOL, "CAP_AUTOFEED", 0, "FALSE", 1, "FALSE"},
    {CAP_INDICATORS, TWTY_BOOL, "CAP_INDICATORS", 1, "TRUE", 0, "TRUE"},
    {ICAP_BITORDER, TWTY_UINT16, "ICAP_BITORDER", 1, "TWBO_MSBFIRST", 0, "TWBO_MSBFIRST"},
    {ICAP_PIXELFLAVOR, TWTY_UINT16, "ICAP_PIXELFLAVOR", 0, "TWPF_CHOCOLATE", 1, "TWPF_CHOCOLATE"},
    {ICAP_PLANARCHUNKY, TWTY_UINT16, "ICAP_PLANARCHUNKY", 0, "TWPC_CHUNKY", 1, "TWPC_CHUNKY"},
    {ICAP_BITDEPTH, TWTY_UINT16, "ICAP_BITDEPTH", 8, "8", 16, "8"},
};

TEST_F(ShippedTest, SetValidAndInvalidValuesThenReset) {
    for (const Settable& s : kSettable) {
        SCOPED_TRACE(s.section);
        const std::string before = SourceText();
        Reply refused = Set(app, s.cap, TWON_ONEVALUE, MakeOneValue(s.itemType, s.invalid));
        EXPECT_EQ(refused.rc, TWRC_FAILURE);
        EXPECT_EQ(refused.condition, TWCC_BADVALUE);
        EXPECT_EQ(SourceText(), before);

        Reply set = Set(app, s.cap, TWON_ONEVALUE, MakeOneValue(s.itemType, s.valid));
        ASSERT_EQ(set.rc, TWRC_SUCCESS);
        EXPECT_EQ(set.condition, TWCC_SUCCESS);
        EXPECT_EQ(Current(s.section), s.written);
        ASSERT_TRUE(set.container);
        EXPECT_EQ(set.container->conType, TWON_ONEVALUE);
        EXPECT_EQ(set.container->item, s.valid);
        Reply current = Request(app, s.cap, MSG_GETCURRENT);
        ASSERT_TRUE(current.container);
        EXPECT_EQ(current.container->item, s.valid);

        Reply reset = Request(app, s.cap, MSG_RESET);
        EXPECT_EQ(reset.rc, TWRC_SUCCESS);
        EXPECT_EQ(Current(s.section), s.powerOnCurrent);
        ASSERT_TRUE(reset.container);
        EXPECT_EQ(reset.container->conType, TWON_ONEVALUE);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, TransferCountAcceptsAllImagesAndRefusesOutsideItsRange) {
    EXPECT_EQ(Set(app, CAP_XFERCOUNT, TWON_ONEVALUE, MakeOneValue(TWTY_INT16, 0xFFFF)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Current("CAP_XFERCOUNT"), "-1");
    EXPECT_EQ(Set(app, CAP_XFERCOUNT, TWON_ONEVALUE, MakeOneValue(TWTY_INT16, 40)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Set(app, CAP_XFERCOUNT, TWON_ONEVALUE, MakeOneValue(TWTY_INT16, 0xFFFE)).condition,
              TWCC_BADVALUE);
}

TEST_F(ShippedTest, ReadOnlyCapabilitiesRefuseSetsAndResets) {
    const std::string before = SourceText();
    for (TW_UINT16 cap : {CAP_SUPPORTEDCAPS, CAP_UICONTROLLABLE, CAP_DEVICEONLINE, ICAP_PHYSICALWIDTH,
                          ICAP_PHYSICALHEIGHT, ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
        SCOPED_TRACE(cap);
        const TW_UINT16 type = cap == ICAP_PHYSICALWIDTH || cap == ICAP_PHYSICALHEIGHT ||
                                       cap == ICAP_XRESOLUTION || cap == ICAP_YRESOLUTION
                                   ? TWTY_FIX32
                                   : TWTY_BOOL;
        const Reply set = Set(app, cap, TWON_ONEVALUE, MakeOneValue(type, 1));
        EXPECT_EQ(set.rc, TWRC_FAILURE);
        EXPECT_EQ(set.condition, TWCC_BADVALUE);
        if (cap != ICAP_XRESOLUTION && cap != ICAP_YRESOLUTION) {
            const Reply reset = Request(app, cap, MSG_RESET);
            EXPECT_EQ(reset.rc, TWRC_FAILURE);
            EXPECT_EQ(reset.condition, TWCC_BADPROTOCOL);
            EXPECT_FALSE(reset.container);
        }
    }
    EXPECT_EQ(SourceText(), before);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, UnitsChosenByNegotiationDecideTheImageResolution) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    ASSERT_EQ(Set(app, ICAP_UNITS, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 1)).rc, TWRC_SUCCESS);
    StoreImageAndNotify(MakeImage(8, 4));
    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 28);
    EXPECT_EQ(info.XResolution.Frac, 22705);
}

TEST_F(ShippedTest, MemoryTransferSizesCarryEveryImageOfTheScanner) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    for (uint32_t row : {336u, 1932u, 2688u, 5376u}) {
        EXPECT_LE(setup.MinBufSize, row);
        EXPECT_GE(setup.MaxBufSize, row);
    }
    EXPECT_LE(setup.MinBufSize, setup.Preferred);
    EXPECT_LE(setup.Preferred, setup.MaxBufSize);

    // The largest image, a whole extended frame, pulled with the preferred buffer: every row arrives.
    StoreImageAndNotify(MakeImage(1792, 1024));
    std::vector<uint8_t> buffer(setup.Preferred);
    uint32_t rows = 0;
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory.Length = setup.Preferred;
        xfer.Memory.TheMem = buffer.data();
        rc = app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE);
        if (rc == TWRC_SUCCESS) {
            EXPECT_EQ(xfer.YOffset, rows);
            rows += xfer.Rows;
        }
    } while (rc == TWRC_SUCCESS);
    EXPECT_EQ(rows, 1024u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, ReadingAutoFeedClearsThePendingCount) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    WritePrivateProfileStringA("ADF", "PendingImages", "3", SourceControlFile().c_str());
    EXPECT_EQ(Request(app, CAP_AUTOFEED, MSG_GETCURRENT).rc, TWRC_SUCCESS);
    TW_PENDINGXFERS pending{};
    pending.Count = 77;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    // A set is no read: the count stays.
    WritePrivateProfileStringA("ADF", "PendingImages", "3", SourceControlFile().c_str());
    Set(app, CAP_AUTOFEED, TWON_ONEVALUE, MakeOneValue(TWTY_BOOL, 0));
    EXPECT_EQ(ProfileText(SourceControlFile(), "ADF", "PendingImages"), "3");
}

TEST_F(ShippedTest, UnknownCapabilitiesAreRefusedAndNothingIsWritten) {
    const std::string before = SourceText();
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
        const Reply reply = Request(app, ICAP_BRIGHTNESS, msg);
        EXPECT_EQ(reply.rc, TWRC_FAILURE);
        EXPECT_EQ(reply.condition, TWCC_BADCAP);
        EXPECT_FALSE(reply.container);
    }
    const Reply set = Set(app, ICAP_BRIGHTNESS, TWON_ONEVALUE, MakeOneValue(TWTY_INT16, 1));
    EXPECT_EQ(set.rc, TWRC_FAILURE);
    EXPECT_EQ(set.condition, TWCC_BADCAP);
    EXPECT_EQ(SourceText(), before);
    EXPECT_EQ(ProfileText(SourceControlFile(), "NONE", "Allowed"), "");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, OtherMessagesShowTheErrorBox) {
    for (TW_UINT16 msg : {MSG_GETFIRST, MSG_GETNEXT, MSG_QUERYSUPPORT}) {
        const Reply reply = Request(app, ICAP_UNITS, msg);
        EXPECT_EQ(reply.rc, TWRC_FAILURE);
        EXPECT_EQ(reply.condition, TWCC_BADPROTOCOL);
    }
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].text, "General failure in response to DAT_CAPS.  Bad protocol error.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "LX-9 TWAIN Source Error");
}

TEST_F(ShippedTest, RequestsAreServedInEveryState) {
    EXPECT_EQ(Request(app, ICAP_UNITS, MSG_GET).rc, TWRC_SUCCESS);  // state 3
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    StoreImageAndNotify(MakeImage(2, 2));  // state 6
    EXPECT_EQ(Request(app, ICAP_UNITS, MSG_GET).rc, TWRC_SUCCESS);
}

TEST_F(ShippedTest, MissingControlFileShowsItsMessageAndTheRequestFails) {
    ScopedFile gone(SourceControlFile(), std::nullopt);
    TW_CAPABILITY cap{ICAP_UNITS, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(cap.hContainer, nullptr);
    EXPECT_EQ(cap.ConType, TWON_DONTCARE16);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Unable to find LX-9 Source Control"}));
}

TEST_F(ShippedTest, RedirectedSourceControlIsTheOneNegotiated) {
    const std::string other = WindowsDirectory() + "\\lx9_other.src";
    std::string edited = ShippedSourceControl();
    edited.replace(edited.find("Current=TWUN_INCHES"), 19, "Current=TWUN_PIXELS");
    ScopedFile copy(other, edited);
    ScopedFile redirect(WindowsDirectory() + "\\source.$$$", other);
    const Reply get = Request(app, ICAP_UNITS, MSG_GETCURRENT);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->item, 5u);
    const std::string before = SourceText();
    ASSERT_EQ(Set(app, ICAP_UNITS, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 1)).rc, TWRC_SUCCESS);
    EXPECT_EQ(ProfileText(other, "ICAP_UNITS", "Current"), "TWUN_CENTIMETERS");
    EXPECT_EQ(SourceText(), before);
}

TEST_F(ShippedTest, RedirectionWithALineEndFindsNoCapability) {
    ScopedFile redirect(WindowsDirectory() + "\\source.$$$", SourceControlFile() + "\r\n");
    const Reply get = Request(app, ICAP_UNITS, MSG_GET);
    EXPECT_EQ(get.rc, TWRC_FAILURE);
    EXPECT_EQ(get.condition, TWCC_BADCAP);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShippedTest, ResponseTablesWriteSixteenElements) {
    TW_ELEMENT8 table[20];
    for (int i = 0; i < 20; ++i)
        table[i] = {static_cast<TW_UINT8>(i), static_cast<TW_UINT8>(200 + i % 50), static_cast<TW_UINT8>(i),
                    static_cast<TW_UINT8>(255 - i)};
    WritePrivateProfileStringA("GrayResponse", "Response[16]", "untouched", SourceControlFile().c_str());
    lx9::conditionCode = TWCC_BADVALUE;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_RESET, table), TWRC_SUCCESS);
    EXPECT_EQ(lx9::conditionCode, TWCC_BADVALUE);
    EXPECT_EQ(ProfileText(SourceControlFile(), "GrayResponse", "Response[0]"), "{200,0,255}");
    EXPECT_EQ(ProfileText(SourceControlFile(), "GrayResponse", "Response[15]"), "{215,15,240}");
    EXPECT_EQ(ProfileText(SourceControlFile(), "GrayResponse", "Response[16]"), "untouched");
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, table + 1), TWRC_SUCCESS);
    EXPECT_EQ(ProfileText(SourceControlFile(), "RGBResponse", "Response[0]"), "{201,1,254}");
    EXPECT_TRUE(boxes.Boxes().empty());
}

// ---------------------------------------------------------------------------------------------------------
// The rules, on capabilities made for the test

constexpr TW_UINT16 T_ONE = 0x8001, T_ENUM = 0x8002, T_RANGE = 0x8003, T_FIX = 0x8004, T_ARRAY = 0x8005,
                    T_WIDE = 0x8006, T_TEXT = 0x8007, T_BADSPEC = 0x8008, T_LONG = 0x8009, T_STEP0 = 0x800a,
                    T_SHRINK = 0x800b;

std::string TestInitial() {
    std::string ini = ShippedInitialControl();
    const std::string numbers =
        "[CAP NUMBERS]\r\n32769=T_ONE\r\n32770=T_ENUM\r\n32771=T_RANGE\r\n32772=T_FIX\r\n32773=T_ARRAY\r\n"
        "32774=T_WIDE\r\n32775=T_TEXT\r\n32776=T_BADSPEC\r\n32777=T_LONG\r\n32778=T_STEP0\r\n32779=T_"
        "SHRINK\r\n";
    ini.replace(0, ini.find("[ItemType]"), numbers + "\r\n");
    return ini + "\r\n[T_ENUM]\r\nRED=0\r\nGREEN=1\r\nBLUE=2\r\n";
}

std::string Section(const char* name, const char* type, const char* get, const char* set, const char* reset,
                    const char* current, const char* defaultValue, const char* allowed, const char* powerOn) {
    return std::string("[") + name + "]\r\nType=" + type + "\r\nGet=" + get + "\r\nGetCurrent=TWON_ONEVALUE" +
           "\r\nGetDefault=TWON_ONEVALUE\r\nSet=" + set + "\r\nReset=" + reset + "\r\nCurrent=" + current +
           "\r\nDefault=" + defaultValue + "\r\nAllowed=" + allowed + "\r\nPowerON=" + powerOn + "\r\n";
}

std::string LongList(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(i);
    return text;
}

std::string TestSource() {
    return Section("T_ONE", "TWTY_UINT16", "TWON_ONEVALUE", "TWON_ONEVALUE", "TWON_ONEVALUE", "300", "200",
                   "100_to_1600,100", "50_to_1200,10") +
           Section("T_ENUM", "TWTY_UINT16", "TWON_ENUMERATION", "TWON_ONEVALUE,TWON_ENUMERATION",
                   "TWON_ENUMERATION", "BLUE", "GREEN", "RED,GREEN,BLUE", "RED,GREEN") +
           Section("T_RANGE", "TWTY_INT16", "TWON_ONEVALUE,TWON_RANGE", "TWON_ONEVALUE,TWON_RANGE",
                   "TWON_RANGE", "200", "100", "100_to_1600,100", "100_to_1600,100") +
           Section("T_FIX", "TWTY_FIX32", "TWON_ONEVALUE", "TWON_ONEVALUE,TWON_RANGE", "TWON_ONEVALUE", "2.5",
                   "1.0", "1.000000_to_3.000000,0.500000", "1.0") +
           Section("T_ARRAY", "TWTY_UINT16", "TWON_ARRAY", "TWON_ARRAY,TWON_ONEVALUE", "TWCC_BADPROTOCOL",
                   "[1,2,3]", "[1,2,3]", "[1,2,3]", "[1,2,3]") +
           Section("T_WIDE", "TWTY_INT32", "TWON_ENUMERATION", "TWON_ONEVALUE", "TWON_ONEVALUE", "-5", "-5",
                   "70000,-5", "70000,-5") +
           Section("T_TEXT", "TWTY_STR32", "TWON_ONEVALUE", "TWON_ONEVALUE", "TWON_ONEVALUE", "hello",
                   "hello", "hello", "hello") +
           Section("T_BADSPEC", "TWTY_UINT16", "TWON_BOGUS", "TWON_ONEVALUE", "TWON_ONEVALUE", "1", "1", "1",
                   "1") +
           Section("T_LONG", "TWTY_INT16", "TWON_ENUMERATION", "TWON_ENUMERATION", "TWON_ENUMERATION", "39",
                   "0", LongList(40).c_str(), LongList(40).c_str()) +
           Section("T_STEP0", "TWTY_INT16", "TWON_ONEVALUE", "TWON_ONEVALUE", "TWON_ONEVALUE", "200", "200",
                   "100_to_1600,0", "100_to_1600,0") +
           Section("T_SHRINK", "TWTY_UINT16", "TWON_ENUMERATION", "TWON_ENUMERATION", "TWON_ENUMERATION", "1",
                   "1", "1,2,3", "1,2,3") +
           "[ADF]\r\nPendingImages=0\r\n";
}

class RuleTest : public NegotiationTest {
  protected:
    ControlFiles files{TestSource(), TestInitial()};
    std::string Text(const char* section, const char* key) {
        return ProfileText(SourceControlFile(), section, key);
    }
};

TEST_F(RuleTest, GetReadsCurrentForAOneValueAndAllowedOtherwise) {
    Reply one = Request(app, T_ONE, MSG_GET);
    ASSERT_TRUE(one.container);
    EXPECT_EQ(one.container->conType, TWON_ONEVALUE);
    EXPECT_EQ(one.container->item, 300u);

    Reply list = Request(app, T_ENUM, MSG_GET);
    ASSERT_TRUE(list.container);
    EXPECT_EQ(list.container->conType, TWON_ENUMERATION);
    EXPECT_EQ(list.container->items, (std::vector<int64_t>{0, 1, 2}));
    EXPECT_EQ(list.container->currentIndex, 2u);
    EXPECT_EQ(list.container->defaultIndex, 1u);
    EXPECT_EQ(list.container->blockSize, 14 + 3 * 2 + 1u);

    Reply array = Request(app, T_ARRAY, MSG_GET);
    ASSERT_TRUE(array.container);
    EXPECT_EQ(array.container->conType, TWON_ARRAY);
    EXPECT_EQ(array.container->items, (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(array.container->blockSize, 6 + 3 * 2 + 1u);
}

TEST_F(RuleTest, SeveralContainersLetTheValueTextDecide) {
    Reply range = Request(app, T_RANGE, MSG_GET);
    ASSERT_TRUE(range.container);
    EXPECT_EQ(range.container->conType, TWON_RANGE);
    EXPECT_EQ(range.container->min, 100u);
    EXPECT_EQ(range.container->max, 1600u);
    EXPECT_EQ(range.container->step, 100u);
    EXPECT_EQ(range.container->defaultValue, 0u);
    EXPECT_EQ(range.container->currentValue, 0u);
    EXPECT_EQ(range.container->blockSize, 22u);
}

TEST_F(RuleTest, ACurrentValueMissingFromAllowedGetsIndexZero) {
    WritePrivateProfileStringA("T_ENUM", "Current", "PURPLE", SourceControlFile().c_str());
    Reply list = Request(app, T_ENUM, MSG_GET);
    ASSERT_TRUE(list.container);
    EXPECT_EQ(list.container->currentIndex, 0u);
}

TEST_F(RuleTest, OneValueSetIsBroughtOntoTheStepOfItsRange) {
    Reply set = Set(app, T_ONE, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 155));
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ONE", "Current"), "100");
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->item, 100u);

    const std::string before = ReadFileText(SourceControlFile()).value();
    for (uint32_t outside : {1700u, 99u}) {
        Reply refused = Set(app, T_ONE, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, outside));
        EXPECT_EQ(refused.rc, TWRC_FAILURE);
        EXPECT_EQ(refused.condition, TWCC_BADVALUE);
    }
    EXPECT_EQ(ReadFileText(SourceControlFile()).value(), before);
}

TEST_F(RuleTest, ARangeWithoutStepTakesTheValueAsItIs) {
    ASSERT_EQ(Set(app, T_STEP0, TWON_ONEVALUE, MakeOneValue(TWTY_INT16, 155)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_STEP0", "Current"), "155");
}

TEST_F(RuleTest, OneValueSetAgainstAListStoresTheItemsText) {
    ASSERT_EQ(Set(app, T_ENUM, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 1)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ENUM", "Current"), "GREEN");
    EXPECT_EQ(Set(app, T_ENUM, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 3)).condition, TWCC_BADVALUE);
    // An array's closing bracket is not part of its last item.
    ASSERT_EQ(Set(app, T_ARRAY, TWON_ONEVALUE, MakeOneValue(TWTY_UINT16, 3)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ARRAY", "Current"), "3");
    EXPECT_EQ(Text("T_ARRAY", "Allowed"), "[1,2,3]");
}

TEST_F(RuleTest, AContainerTypeNotListedInSetIsRefusedBeforeAnythingIsWritten) {
    const std::string before = ReadFileText(SourceControlFile()).value();
    Reply refused = Set(app, T_ONE, TWON_ENUMERATION, MakeList(TWON_ENUMERATION, TWTY_UINT16, {1, 2}));
    EXPECT_EQ(refused.rc, TWRC_FAILURE);
    EXPECT_EQ(refused.condition, TWCC_BADVALUE);
    EXPECT_EQ(ReadFileText(SourceControlFile()).value(), before);
}

TEST_F(RuleTest, EnumerationSetWritesSymbolsAndTheRebuildReadsThem) {
    Reply set = Set(app, T_ENUM, TWON_ENUMERATION, MakeList(TWON_ENUMERATION, TWTY_UINT16, {2, 7, 0}, 2, 2));
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ENUM", "Allowed"), "BLUE,,RED");  // 7 has no symbol: an empty piece
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->conType, TWON_ENUMERATION);
    EXPECT_EQ(set.container->items, (std::vector<int64_t>{2, 0}));
    EXPECT_EQ(set.container->currentIndex, 0u);  // "Current" BLUE is the first item now
}

TEST_F(RuleTest, ArraySetWritesBracketedNumbers) {
    Reply set = Set(app, T_ARRAY, TWON_ARRAY, MakeList(TWON_ARRAY, TWTY_UINT16, {9, 8}));
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ARRAY", "Allowed"), "[9,8]");
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->items, (std::vector<int64_t>{9, 8}));
}

TEST_F(RuleTest, RangeSetWritesCurrentDefaultAndAllowed) {
    Reply set = Set(app, T_RANGE, TWON_RANGE, MakeRange(TWTY_INT16, 0xFFFFFFF6, 20, 2, 4, 6));
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_RANGE", "Allowed"), "-10_to_20,2");
    EXPECT_EQ(Text("T_RANGE", "Current"), "6");
    EXPECT_EQ(Text("T_RANGE", "Default"), "4");
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->conType, TWON_RANGE);
    EXPECT_EQ(set.container->min, 0xFFFFFFF6u);

    const auto fix = [](int16_t whole, uint16_t frac) { return lx9::Fix32Bits({whole, frac}); };
    ASSERT_EQ(Set(app, T_FIX, TWON_RANGE,
                  MakeRange(TWTY_FIX32, fix(1, 0x8000), fix(3, 0), fix(0, 0x4000), fix(2, 0), fix(2, 0x8000)))
                  .rc,
              TWRC_SUCCESS);
    EXPECT_EQ(Text("T_FIX", "Allowed"), "1.500000_to_3.000000,0.250000");
    EXPECT_EQ(Text("T_FIX", "Current"), "2.500000");
}

TEST_F(RuleTest, FixedPointOneValuesKeepTheirWholePart) {
    Reply get = Request(app, T_FIX, MSG_GET);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->item, lx9::Fix32Bits({2, 0}));  // "2.5"
    Reply set = Set(app, T_FIX, TWON_ONEVALUE, MakeOneValue(TWTY_FIX32, lx9::Fix32Bits({2, 0x8000})));
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_FIX", "Current"), "2.500000");  // stored unchecked, with its fraction
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->item, lx9::Fix32Bits({2, 0}));
}

TEST_F(RuleTest, ResetCopiesPowerOnAndDefaultThenAnswersWithTheResetContainer) {
    Reply reset = Request(app, T_ENUM, MSG_RESET);
    ASSERT_EQ(reset.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ENUM", "Allowed"), "RED,GREEN");
    EXPECT_EQ(Text("T_ENUM", "Current"), "GREEN");
    ASSERT_TRUE(reset.container);
    EXPECT_EQ(reset.container->conType, TWON_ENUMERATION);
    EXPECT_EQ(reset.container->items, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(reset.container->currentIndex, 1u);

    reset = Request(app, T_ONE, MSG_RESET);
    ASSERT_EQ(reset.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_ONE", "Allowed"), "50_to_1200,10");
    EXPECT_EQ(Text("T_ONE", "Current"), "200");
    ASSERT_TRUE(reset.container);
    EXPECT_EQ(reset.container->item, 200u);

    const Reply refused = Request(app, T_ARRAY, MSG_RESET);
    EXPECT_EQ(refused.rc, TWRC_FAILURE);
    EXPECT_EQ(refused.condition, TWCC_BADPROTOCOL);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(RuleTest, LongListsKeepTheirFirstItemsAndLongTextsStayWhole) {
    Reply get = Request(app, T_LONG, MSG_GET);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->numItems, lx9::kMaxListItems);
    EXPECT_EQ(get.container->blockSize, 14 + lx9::kMaxListItems * 2 + 1);
    EXPECT_EQ(get.container->items.back(), static_cast<int64_t>(lx9::kMaxListItems - 1));
    EXPECT_EQ(get.container->currentIndex, 0u);  // "39" lies beyond the kept items
    ASSERT_EQ(Request(app, T_LONG, MSG_RESET).rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_LONG", "Allowed"), LongList(40));  // longer than 80 characters, not cut
}

TEST_F(RuleTest, WideListItemsKeepAll32Bits) {
    Reply get = Request(app, T_WIDE, MSG_GET);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->itemType, TWTY_INT32);
    EXPECT_EQ(get.container->items, (std::vector<int64_t>{70000, -5}));
    EXPECT_EQ(get.container->currentIndex, 1u);
    ASSERT_EQ(Set(app, T_WIDE, TWON_ONEVALUE, MakeOneValue(TWTY_INT32, 70000)).rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_WIDE", "Current"), "70000");
    // 70000 and 4464 share their low 16 bits; a 32-bit item tells them apart.
    EXPECT_EQ(Set(app, T_WIDE, TWON_ONEVALUE, MakeOneValue(TWTY_INT32, 4464)).condition, TWCC_BADVALUE);
}

TEST_F(RuleTest, ValuesWithoutAContainerAreNotReportedAsSuccess) {
    for (TW_UINT16 cap : {T_TEXT, T_BADSPEC}) {
        Reply get = Request(app, cap, MSG_GET);
        EXPECT_EQ(get.rc, TWRC_FAILURE) << cap;
        EXPECT_EQ(get.condition, TWCC_BADCAP) << cap;
        EXPECT_FALSE(get.container);
    }
    WritePrivateProfileStringA("T_ONE", "Current", nullptr, SourceControlFile().c_str());
    EXPECT_EQ(Request(app, T_ONE, MSG_GETCURRENT).condition, TWCC_BADCAP);
    Reply set = Set(app, T_TEXT, TWON_ONEVALUE, MakeOneValue(TWTY_STR32, 0x6c6c6568));
    EXPECT_EQ(set.condition, TWCC_BADVALUE);
    EXPECT_EQ(Text("T_TEXT", "Current"), "hello");
}

TEST_F(RuleTest, BrokenApplicationContainersAreRefused) {
    const std::string before = ReadFileText(SourceControlFile()).value();
    // An enumeration claiming 1000 items in a block that holds three.
    HGLOBAL lying = MakeList(TWON_ENUMERATION, TWTY_UINT16, {0, 1, 2});
    auto* bytes = static_cast<uint8_t*>(GlobalLock(lying));
    const uint32_t count = 1000;
    std::memcpy(bytes + 2, &count, 4);
    GlobalUnlock(lying);
    EXPECT_EQ(Set(app, T_ENUM, TWON_ENUMERATION, lying).condition, TWCC_BADVALUE);
    EXPECT_EQ(Set(app, T_ENUM, TWON_ENUMERATION, nullptr).condition, TWCC_BADVALUE);
    EXPECT_EQ(ReadFileText(SourceControlFile()).value(), before);
}

TEST_F(RuleTest, ARebuildLargerThanTheApplicationsBlockLeavesTheBlockAlone) {
    // One-byte items from the application; the capability's items take two bytes each.
    HGLOBAL small = MakeList(TWON_ENUMERATION, TWTY_UINT8, {4, 5, 6});
    const SIZE_T size = GlobalSize(small);
    Reply set = Set(app, T_SHRINK, TWON_ENUMERATION, small);
    EXPECT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Text("T_SHRINK", "Allowed"), "4,5,6");
    ASSERT_TRUE(set.container);
    EXPECT_EQ(set.container->blockSize, size);
    EXPECT_EQ(set.container->itemType, TWTY_UINT8);
    EXPECT_EQ(set.container->items, (std::vector<int64_t>{4, 5, 6}));
    const Reply get = Request(app, T_SHRINK, MSG_GET);
    ASSERT_TRUE(get.container);
    EXPECT_EQ(get.container->items, (std::vector<int64_t>{4, 5, 6}));
}

TEST_F(RuleTest, NullCapabilityIsRefused) {
    EXPECT_EQ(lx9::CapabilityOperation(MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(lx9::conditionCode, TWCC_BADVALUE);
}

}  // namespace
