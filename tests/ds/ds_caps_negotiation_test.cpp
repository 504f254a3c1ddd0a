// DAT_CAPABILITY through DS_Entry: the shipped capabilities, then the rules of building, setting and
// resetting on capabilities made for the test; and the response tables.
#include "ds_caps_support.h"

#include "caps/capability_ops.h"
#include "caps/value_text.h"
#include "twain/source_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace lx9test;

namespace {

std::string SourceText() {
    return ReadFileText(SourceControlFile()).value_or("");
}
std::string Entry(const char* section, const char* key) {
    return ProfileText(SourceControlFile(), section, key);
}

class Negotiation : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    Application app;
    BoxWatcher boxes;
};

class Shipped : public Negotiation {
  protected:
    ControlFiles files{ShippedFile("NorvikLX9.src"), ShippedFile("NorvikLX9.ini")};
};

struct Capability {
    TW_UINT16 cap, itemType, getContainer;
    std::vector<int64_t> allowed;  // the enumeration's items
    uint32_t current;
};
const Capability kReadable[] = {
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

TEST_F(Shipped, EachCapabilityAnswersGetGetCurrentAndGetDefault) {
    for (const Capability& c : kReadable) {
        SCOPED_TRACE(c.cap);
        const Reply get = Request(app, c.cap, MSG_GET);
        ASSERT_EQ(get.rc, TWRC_SUCCESS);
        ASSERT_EQ(get.container->conType, c.getContainer);
        EXPECT_EQ(get.container->itemType, c.itemType);
        if (c.getContainer == TWON_ENUMERATION) {
            EXPECT_EQ(get.container->items, c.allowed);
            EXPECT_EQ(get.container->currentIndex, 0u);
            EXPECT_EQ(get.container->blockSize,
                      14 + c.allowed.size() * (c.itemType == TWTY_FIX32 ? 4 : 2) + 1);
        }
        for (TW_UINT16 msg : {MSG_GETCURRENT, MSG_GETDEFAULT}) {
            const Reply one = Request(app, c.cap, msg);
            ASSERT_EQ(one.rc, TWRC_SUCCESS);
            EXPECT_EQ(one.container->conType, TWON_ONEVALUE);
            EXPECT_EQ(one.container->blockSize, 6u);
            EXPECT_EQ(one.container->item, c.current);
        }
    }
    const Reply width = Request(app, ICAP_PHYSICALWIDTH, MSG_GET);
    ASSERT_EQ(width.rc, TWRC_SUCCESS);
    EXPECT_NEAR(lx9::Fix32ToReal(lx9::Fix32FromBits(width.container->item)), 30.2 / 25.4, 1e-4);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Shipped, SupportedCapsListsEveryCapabilityWhole) {
    std::vector<int64_t> expected = {CAP_SUPPORTEDCAPS, ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT};
    for (const Capability& c : kReadable) expected.push_back(c.cap);
    std::sort(expected.begin(), expected.end());
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT}) {
        const Reply reply = Request(app, CAP_SUPPORTEDCAPS, msg);
        ASSERT_EQ(reply.rc, TWRC_SUCCESS);
        EXPECT_EQ(reply.container->conType, TWON_ARRAY);
        EXPECT_EQ(reply.container->items, expected);  // 18 items: more than 10, and a text longer than 80
    }
    for (int64_t cap : expected)
        EXPECT_EQ(Request(app, TW_UINT16(cap), MSG_GETDEFAULT).rc, TWRC_SUCCESS) << cap;
}

struct Settable {
    TW_UINT16 cap, itemType;
    const char* section;
    uint32_t valid;
    const char* written;
    uint32_t invalid;
    const char* afterReset;
};
const Settable kSettable[] = {
    {CAP_XFERCOUNT, TWTY_INT16, "CAP_XFERCOUNT", 40, "40", 41, "-1"},
    {CAP_XFERCOUNT, TWTY_INT16, "CAP_XFERCOUNT", 0xFFFF, "-1", 0xFFFE, "-1"},
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

TEST_F(Shipped, SetValidAndInvalidValuesThenReset) {
    for (const Settable& s : kSettable) {
        SCOPED_TRACE(s.section);
        const std::string before = SourceText();
        const Reply refused = SetOne(app, s.cap, s.itemType, s.invalid);
        EXPECT_EQ(refused.rc, TWRC_FAILURE);
        EXPECT_EQ(refused.condition, TWCC_BADVALUE);
        EXPECT_EQ(SourceText(), before);

        const Reply set = SetOne(app, s.cap, s.itemType, s.valid);
        ASSERT_EQ(set.rc, TWRC_SUCCESS);
        EXPECT_EQ(Entry(s.section, "Current"), s.written);
        EXPECT_EQ(set.container->item & 0xFFFF, s.valid);
        EXPECT_EQ(Request(app, s.cap, MSG_GETCURRENT).container->item & 0xFFFF, s.valid);

        const Reply reset = Request(app, s.cap, MSG_RESET);
        EXPECT_EQ(reset.rc, TWRC_SUCCESS);
        EXPECT_EQ(reset.container->conType, TWON_ONEVALUE);
        EXPECT_EQ(Entry(s.section, "Current"), s.afterReset);
    }
}

TEST_F(Shipped, ReadOnlyCapabilitiesRefuseSetsAndResets) {
    const std::string before = SourceText();
    // Values they do not have (their own current value is kept: the application tests).
    const std::pair<TW_UINT16, uint32_t> others[] = {{CAP_SUPPORTEDCAPS, 1},
                                                     {CAP_UICONTROLLABLE, 1},
                                                     {CAP_DEVICEONLINE, 0},
                                                     {ICAP_PHYSICALWIDTH, 1},
                                                     {ICAP_PHYSICALHEIGHT, 1}};
    for (const auto& [cap, other] : others) {
        EXPECT_EQ(SetOne(app, cap, TWTY_BOOL, other).condition, TWCC_BADVALUE) << cap;
        const Reply reset = Request(app, cap, MSG_RESET);
        EXPECT_EQ(reset.condition, TWCC_BADPROTOCOL) << cap;
        EXPECT_FALSE(reset.container);
    }
    // The scan mode chooses the resolution in the source's window: a set would promise what no scan delivers.
    EXPECT_EQ(SetOne(app, ICAP_XRESOLUTION, TWTY_FIX32, 300).condition, TWCC_BADVALUE);
    EXPECT_EQ(SourceText(), before);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Shipped, MemoryTransferSizesCarryEveryImageOfTheScanner) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_LE(setup.MinBufSize, 336u);   // an index image's row
    EXPECT_GE(setup.MaxBufSize, 5376u);  // the widest extended image's row
    EXPECT_GE(setup.Preferred, setup.MinBufSize);
    EXPECT_LE(setup.Preferred, setup.MaxBufSize);
    // A whole extended frame pulled with the preferred buffer: every row arrives within the strip limit.
    StoreImageAndNotify(MakeImage(1792, 1024));
    std::vector<uint8_t> buffer(setup.Preferred);
    uint32_t rows = 0;
    TW_IMAGEMEMXFER xfer{};
    do {
        xfer = {};
        xfer.Memory = {0, setup.Preferred, buffer.data()};
        ASSERT_NE(app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE);
        rows += xfer.Rows;
    } while (xfer.BytesWritten != 0);
    EXPECT_EQ(rows, 1024u);
}

TEST_F(Shipped, ReadingAutoFeedClearsThePendingCount) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    WritePrivateProfileStringA("ADF", "PendingImages", "3", SourceControlFile().c_str());
    SetOne(app, CAP_AUTOFEED, TWTY_BOOL, 0);  // a set is no read
    EXPECT_EQ(Entry("ADF", "PendingImages"), "3");
    EXPECT_EQ(Request(app, CAP_AUTOFEED, MSG_GETCURRENT).rc, TWRC_SUCCESS);
    TW_PENDINGXFERS pending{77, {}};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
}

TEST_F(Shipped, UnknownCapabilitiesAndMessagesAreRefused) {
    const std::string before = SourceText();
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
        const Reply reply = Request(app, ICAP_BRIGHTNESS, msg);
        EXPECT_EQ(reply.condition, TWCC_BADCAP);
        EXPECT_FALSE(reply.container);
    }
    EXPECT_EQ(SetOne(app, ICAP_BRIGHTNESS, TWTY_INT16, 1).condition, TWCC_BADCAP);
    EXPECT_EQ(SourceText(), before);  // nothing written under a section "NONE"
    EXPECT_TRUE(boxes.Boxes().empty());

    const Reply first = Request(app, ICAP_UNITS, MSG_GETFIRST);
    EXPECT_EQ(first.rc, TWRC_FAILURE);
    EXPECT_EQ(first.condition, TWCC_BADPROTOCOL);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "General failure in response to DAT_CAPS.  Bad protocol error.");
    EXPECT_EQ(lx9::CapabilityOperation(MSG_GET, nullptr), TWRC_FAILURE);
}

TEST_F(Shipped, MissingControlFileFailsTheRequestAfterItsMessage) {
    ScopedFile gone(SourceControlFile(), std::nullopt);
    TW_CAPABILITY cap{ICAP_UNITS, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(cap.hContainer, nullptr);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Unable to find LX-9 Source Control"}));
}

TEST_F(Shipped, RedirectedSourceControlIsTheOneNegotiated) {
    const std::string other = WindowsDirectory() + "\\lx9_other.src";
    ScopedFile copy(other, ShippedFile("NorvikLX9.src"));
    ScopedFile redirect(WindowsDirectory() + "\\source.$$$", other);
    const std::string before = SourceText();
    ASSERT_EQ(SetOne(app, ICAP_UNITS, TWTY_UINT16, 5).rc, TWRC_SUCCESS);
    EXPECT_EQ(ProfileText(other, "ICAP_UNITS", "Current"), "TWUN_PIXELS");
    EXPECT_EQ(SourceText(), before);
    ScopedFile lineEnd(WindowsDirectory() + "\\source.$$$", other + "\r\n");  // names no file
    EXPECT_EQ(Request(app, ICAP_UNITS, MSG_GET).condition, TWCC_BADCAP);
}

// A redirection file may name anything. Only an existing disk file that is none of the source's other files
// takes writes, however its path is spelt; elsewhere a reset, a set and a response table fail, and no file is
// made, changed or sent to a device.
TEST_F(Shipped, RedirectionToAnythingButASourceControlFileTakesNoWrite) {
    const std::string windows = WindowsDirectory();
    const std::string other = windows + "\\lx9_other.src";
    ScopedFile copy(other, ShippedFile("NorvikLX9.src"));
    ScopedFile film(windows + "\\twain_32\\NorvikLX9\\LX9Cfg.ini", std::string("[LX-9]\r\nNegaPosi=0\r\n"));
    const std::string initial = ReadFileText(InitialControlFile()).value_or("");
    const std::string source = SourceText();
    TW_ELEMENT8 table[16] = {};
    std::string aliased = other;
    std::replace(aliased.begin(), aliased.end(), '\\', '/');
    for (const std::string& ok : {other, aliased}) {
        ScopedFile redirect(windows + "\\source.$$$", ok);
        EXPECT_EQ(Request(app, ICAP_UNITS, MSG_RESET).rc, TWRC_SUCCESS) << ok;
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table), TWRC_SUCCESS) << ok;
    }
    EXPECT_EQ(ProfileText(other, "GrayResponse", "Response[0]"), "{0,0,0}");

    const std::string redirection = windows + "\\source.$$$";
    const std::string cut = other.substr(0, other.size() - 4);
    for (const std::string& bad : {cut, std::string("lx9_other.src"), InitialControlFile(), redirection,
                                   windows + "\\twain_32\\NorvikLX9\\LX9Cfg.ini", windows, std::string("NUL"),
                                   std::string("COM1"), windows + "\\NUL.src", other + ":stream"}) {
        SCOPED_TRACE(bad);
        ScopedFile redirect(redirection, bad);
        const Reply reset = Request(app, ICAP_UNITS, MSG_RESET);
        EXPECT_EQ(reset.rc, TWRC_FAILURE);
        EXPECT_EQ(SetOne(app, ICAP_UNITS, TWTY_UINT16, 1).rc, TWRC_FAILURE);
        EXPECT_EQ(app.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table), TWRC_FAILURE);
        EXPECT_EQ(app.Status(), TWCC_BUMMER);
        EXPECT_EQ(ReadFileText(redirection), bad);
        EXPECT_EQ(GetFileAttributesA(cut.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(ReadFileText(InitialControlFile()), initial);
        EXPECT_EQ(ReadFileText(windows + "\\twain_32\\NorvikLX9\\LX9Cfg.ini"),
                  std::string("[LX-9]\r\nNegaPosi=0\r\n"));
    }
    EXPECT_EQ(SourceText(), source);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Shipped, ResponseTablesWriteSixteenElements) {
    TW_ELEMENT8 table[17];
    for (int i = 0; i < 17; ++i) table[i] = {TW_UINT8(i), TW_UINT8(200 + i), TW_UINT8(i), TW_UINT8(255 - i)};
    lx9::conditionCode = TWCC_BADVALUE;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_RESET, table), TWRC_SUCCESS);
    EXPECT_EQ(lx9::conditionCode, TWCC_BADVALUE);
    EXPECT_EQ(Entry("GrayResponse", "Response[0]"), "{200,0,255}");
    EXPECT_EQ(Entry("GrayResponse", "Response[15]"), "{215,15,240}");
    EXPECT_EQ(Entry("GrayResponse", "Response[16]"), "");
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, table + 1), TWRC_SUCCESS);
    EXPECT_EQ(Entry("RGBResponse", "Response[15]"), "{216,16,239}");
}

// ---------------------------------------------------------------------------------------------------------
// The rules, on capabilities made for the test (numbers 0x8001 on)

const char* const kNames[] = {"T_ONE",  "T_ENUM", "T_RANGE", "T_FIX",  "T_ARRAY",
                              "T_WIDE", "T_TEXT", "T_LONG",  "T_SMALL"};
enum : TW_UINT16 { T_ONE = 0x8001, T_ENUM, T_RANGE, T_FIX, T_ARRAY, T_WIDE, T_TEXT, T_LONG, T_SMALL };

std::string Section(const char* name, const char* type, const char* get, const char* set, const char* reset,
                    const char* current, const char* def, const std::string& allowed,
                    const std::string& powerOn) {
    return std::string("[") + name + "]\r\nType=" + type + "\r\nGet=" + get +
           "\r\nGetCurrent=TWON_ONEVALUE\r\n" + "GetDefault=TWON_ONEVALUE\r\nSet=" + set +
           "\r\nReset=" + reset + "\r\nCurrent=" + current + "\r\nDefault=" + def + "\r\nAllowed=" + allowed +
           "\r\nPowerON=" + powerOn + "\r\n";
}

std::string Numbers(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ',';
        text += std::to_string(i);
    }
    return text;
}

std::string TestInitial() {
    std::string ini = ShippedFile("NorvikLX9.ini"), numbers = "[CAP NUMBERS]\r\n";
    for (int i = 0; i < 9; ++i) numbers += std::to_string(T_ONE + i) + "=" + kNames[i] + "\r\n";
    return ini.replace(0, ini.find("[ItemType]"), numbers) + "[T_ENUM]\r\nRED=0\r\nGREEN=1\r\nBLUE=2\r\n";
}

std::string TestSource() {
    const char* one = "TWON_ONEVALUE";
    return Section("T_ONE", "TWTY_UINT16", one, one, one, "300", "200", "100_to_1600,100", "50_to_1200,0") +
           Section("T_ENUM", "TWTY_UINT16", "TWON_ENUMERATION", "TWON_ONEVALUE,TWON_ENUMERATION",
                   "TWON_ENUMERATION", "BLUE", "GREEN", "RED,GREEN,BLUE", "RED,GREEN") +
           Section("T_RANGE", "TWTY_INT16", "TWON_ONEVALUE,TWON_RANGE", "TWON_RANGE", one, "200", "100",
                   "100_to_1600,100", "100_to_1600,100") +
           Section("T_FIX", "TWTY_FIX32", one, "TWON_ONEVALUE,TWON_RANGE", one, "2.5", "1.0", "1.0", "1.0") +
           Section("T_ARRAY", "TWTY_UINT16", "TWON_ARRAY", "TWON_ARRAY,TWON_ONEVALUE", "TWCC_BADPROTOCOL",
                   "1", "1", "[1,2,3]", "[1,2,3]") +
           Section("T_WIDE", "TWTY_INT32", "TWON_ENUMERATION", one, one, "-5", "-5", "70000,-5", "70000,-5") +
           Section("T_TEXT", "TWTY_STR32", one, one, one, "hello", "hello", "hello", "hello") +
           Section("T_LONG", "TWTY_INT16", "TWON_ENUMERATION", one, "TWON_ENUMERATION", "39", "0",
                   Numbers(40), Numbers(40)) +
           Section("T_SMALL", "TWTY_UINT16", "TWON_BOGUS", "TWON_ENUMERATION", one, "1", "1", "1,2,3",
                   "1,2,3");
}

class Rules : public Negotiation {
  protected:
    ControlFiles files{TestSource(), TestInitial()};
};

TEST_F(Rules, GetBuildsTheContainerTheFilesDescribe) {
    EXPECT_EQ(Request(app, T_ONE, MSG_GET).container->item, 300u);  // "Get" one value: "Current"
    const Reply list = Request(app, T_ENUM, MSG_GET);
    EXPECT_EQ(list.container->items, (std::vector<int64_t>{0, 1, 2}));
    EXPECT_EQ(list.container->currentIndex, 2u);
    EXPECT_EQ(list.container->defaultIndex, 1u);
    const Reply array = Request(app, T_ARRAY, MSG_GET);
    EXPECT_EQ(array.container->conType, TWON_ARRAY);
    EXPECT_EQ(array.container->blockSize, 6 + 3 * 2 + 1u);
    const Reply range = Request(app, T_RANGE, MSG_GET);  // several containers: the text decides
    ASSERT_EQ(range.container->conType, TWON_RANGE);
    EXPECT_EQ(range.container->max, 1600u);
    EXPECT_EQ(range.container->cur, 0u);
    EXPECT_EQ(Request(app, T_FIX, MSG_GET).container->item, 2u);  // 2.5: the whole part

    WritePrivateProfileStringA("T_ENUM", "Current", "PURPLE", SourceControlFile().c_str());
    EXPECT_EQ(Request(app, T_ENUM, MSG_GET).container->currentIndex, 0u);
    WritePrivateProfileStringA("T_ONE", "Current", nullptr, SourceControlFile().c_str());
    EXPECT_EQ(Request(app, T_ONE, MSG_GETCURRENT).condition, TWCC_BADCAP);
}

TEST_F(Rules, OneValueSetsAreCheckedAgainstAllowed) {
    const Reply set = SetOne(app, T_ONE, TWTY_UINT16, 155);
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ONE", "Current"), "100");  // brought onto the step
    EXPECT_EQ(set.container->item, 100u);
    const std::string before = SourceText();
    EXPECT_EQ(SetOne(app, T_ONE, TWTY_UINT16, 1700).condition, TWCC_BADVALUE);
    EXPECT_EQ(SetOne(app, T_ONE, TWTY_UINT16, 99).condition, TWCC_BADVALUE);
    EXPECT_EQ(Request(app, T_ONE, MSG_SET, MakeContainer(TWON_ARRAY, TWTY_UINT16, {1}), TWON_ARRAY).condition,
              TWCC_BADVALUE);  // a container "Set" does not list
    EXPECT_EQ(SourceText(), before);

    ASSERT_EQ(SetOne(app, T_ENUM, TWTY_UINT16, 1).rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ENUM", "Current"), "GREEN");
    ASSERT_EQ(SetOne(app, T_ARRAY, TWTY_UINT16, 3).rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ARRAY", "Current"), "3");  // without the array's bracket
    ASSERT_EQ(SetOne(app, T_FIX, TWTY_FIX32, lx9::Fix32Bits({7, 0x8000})).rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_FIX", "Current"), "7.500000");  // fixed point is stored unchecked
}

TEST_F(Rules, ListAndRangeSetsAreWrittenInTheirTextForms) {
    const Reply list = Request(app, T_ENUM, MSG_SET, MakeContainer(TWON_ENUMERATION, TWTY_UINT16, {2, 7, 0}),
                               TWON_ENUMERATION);
    ASSERT_EQ(list.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ENUM", "Allowed"), "BLUE,,RED");  // 7 has no symbol
    EXPECT_EQ(list.container->items, (std::vector<int64_t>{2, 0}));
    ASSERT_EQ(Request(app, T_ARRAY, MSG_SET, MakeContainer(TWON_ARRAY, TWTY_UINT16, {9, 8}), TWON_ARRAY).rc,
              TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ARRAY", "Allowed"), "[9,8]");
    const Reply range = Request(app, T_RANGE, MSG_SET,
                                MakeContainer(TWON_RANGE, TWTY_INT16, {0xFFFFFFF6, 20, 2, 4, 6}), TWON_RANGE);
    ASSERT_EQ(range.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_RANGE", "Allowed"), "-10_to_20,2");
    EXPECT_EQ(Entry("T_RANGE", "Current") + Entry("T_RANGE", "Default"), "64");
    EXPECT_EQ(range.container->min, 0xFFFFFFF6u);
    const auto fix = [](int16_t whole, uint16_t frac) { return lx9::Fix32Bits({whole, frac}); };
    ASSERT_EQ(
        Request(app, T_FIX, MSG_SET,
                MakeContainer(TWON_RANGE, TWTY_FIX32, {fix(1, 0x8000), fix(3, 0), fix(0, 0x4000), 0, 0}),
                TWON_RANGE)
            .rc,
        TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_FIX", "Allowed"), "1.500000_to_3.000000,0.250000");
}

TEST_F(Rules, ResetRestoresPowerOnAndDefault) {
    const Reply reset = Request(app, T_ENUM, MSG_RESET);
    ASSERT_EQ(reset.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ENUM", "Allowed"), "RED,GREEN");
    EXPECT_EQ(Entry("T_ENUM", "Current"), "GREEN");
    EXPECT_EQ(reset.container->items, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(reset.container->currentIndex, 1u);
    ASSERT_EQ(Request(app, T_ONE, MSG_RESET).container->item, 200u);
    // A step of 0 after the reset: the value is taken as it is, nothing divides.
    ASSERT_EQ(SetOne(app, T_ONE, TWTY_UINT16, 155).rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_ONE", "Current"), "155");
    EXPECT_EQ(Request(app, T_ARRAY, MSG_RESET).condition, TWCC_BADPROTOCOL);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Rules, LongWideAndUnpackableValues) {
    const Reply longList = Request(app, T_LONG, MSG_GET);
    EXPECT_EQ(longList.container->items.size(), lx9::kMaxListItems);
    EXPECT_EQ(longList.container->blockSize, 14 + lx9::kMaxListItems * 2 + 1);
    EXPECT_EQ(longList.container->currentIndex, 0u);  // "39" lies beyond the kept items
    ASSERT_EQ(Request(app, T_LONG, MSG_RESET).rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_LONG", "Allowed"), Numbers(40));  // a power-on list longer than 80 characters, whole

    const Reply wide = Request(app, T_WIDE, MSG_GET);
    EXPECT_EQ(wide.container->items, (std::vector<int64_t>{70000, -5}));
    EXPECT_EQ(wide.container->currentIndex, 1u);
    EXPECT_EQ(SetOne(app, T_WIDE, TWTY_INT32, 70000).rc, TWRC_SUCCESS);
    EXPECT_EQ(SetOne(app, T_WIDE, TWTY_INT32, 4464).condition, TWCC_BADVALUE);  // same low 16 bits as 70000

    for (TW_UINT16 cap : {T_TEXT, T_SMALL}) {  // a string type; a container name "ConType" does not know
        const Reply reply = Request(app, cap, MSG_GET);
        EXPECT_EQ(reply.condition, TWCC_BADCAP) << cap;
        EXPECT_FALSE(reply.container);
    }
    EXPECT_EQ(SetOne(app, T_TEXT, TWTY_STR32, 0x6c6c6568).condition, TWCC_BADVALUE);
}

TEST_F(Rules, ApplicationContainersAreNeverReadOrWrittenPastTheirBlock) {
    const std::string before = SourceText();
    HGLOBAL lying = MakeContainer(TWON_ENUMERATION, TWTY_UINT16, {0, 1, 2});
    static_cast<uint8_t*>(GlobalLock(lying))[3] = 0x10;  // claims 4099 items
    GlobalUnlock(lying);
    EXPECT_EQ(Request(app, T_ENUM, MSG_SET, lying, TWON_ENUMERATION).condition, TWCC_BADVALUE);
    EXPECT_EQ(Request(app, T_ENUM, MSG_SET, nullptr, TWON_ENUMERATION).condition, TWCC_BADVALUE);
    EXPECT_EQ(SourceText(), before);

    // One-byte items come in; the capability's own items take two bytes: the rebuild does not fit.
    HGLOBAL small = MakeContainer(TWON_ENUMERATION, TWTY_UINT8, {4, 5, 6});
    const SIZE_T size = GlobalSize(small);
    const Reply set = Request(app, T_SMALL, MSG_SET, small, TWON_ENUMERATION);
    EXPECT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("T_SMALL", "Allowed"), "4,5,6");
    EXPECT_EQ(set.container->blockSize, size);
    EXPECT_EQ(set.container->itemType, TWTY_UINT8);
    EXPECT_EQ(set.container->items, (std::vector<int64_t>{4, 5, 6}));
}

// Distances that a set can change (the shipped files have none): the application's value is in the current
// unit, the files keep inches.
std::string DistanceInitial() {
    std::string ini = ShippedFile("NorvikLX9.ini");
    return ini.replace(0, ini.find("[ItemType]"),
                       "[CAP NUMBERS]\r\n258=ICAP_UNITS\r\n4369=ICAP_PHYSICALWIDTH\r\n"
                       "4376=ICAP_XRESOLUTION\r\n");
}

std::string DistanceSource() {
    const char* one = "TWON_ONEVALUE";
    return Section("ICAP_UNITS", "TWTY_UINT16", "TWON_ENUMERATION", one, one, "TWUN_CENTIMETERS",
                   "TWUN_INCHES", "TWUN_INCHES,TWUN_CENTIMETERS,TWUN_PIXELS",
                   "TWUN_INCHES,TWUN_CENTIMETERS,TWUN_PIXELS") +
           Section("ICAP_XRESOLUTION", "TWTY_FIX32", one, "TWON_ONEVALUE,TWON_RANGE", one, "300", "300",
                   "300", "300") +
           Section("ICAP_PHYSICALWIDTH", "TWTY_FIX32", one, one, one, "2.000000", "2.000000", "2.000000",
                   "2.000000");
}

class SettableDistances : public Negotiation {
  protected:
    ControlFiles files{DistanceSource(), DistanceInitial()};
};

TEST_F(SettableDistances, SetsAreTakenInTheCurrentUnitAndKeptInInches) {
    const auto fix = [](int16_t whole, uint16_t frac) { return lx9::Fix32Bits({whole, frac}); };
    ASSERT_EQ(SetOne(app, ICAP_UNITS, TWTY_UINT16, TWUN_PIXELS).rc, TWRC_SUCCESS);
    ASSERT_EQ(SetOne(app, ICAP_PHYSICALWIDTH, TWTY_FIX32, fix(900, 0)).rc, TWRC_SUCCESS);  // at 300 per inch
    EXPECT_EQ(Entry("ICAP_PHYSICALWIDTH", "Current"), "3.000000");
    // One pixel per pixel says nothing about inches.
    const std::string before = SourceText();
    EXPECT_EQ(SetOne(app, ICAP_XRESOLUTION, TWTY_FIX32, fix(1, 0)).condition, TWCC_BADVALUE);
    EXPECT_EQ(SourceText(), before);

    ASSERT_EQ(SetOne(app, ICAP_UNITS, TWTY_UINT16, TWUN_CENTIMETERS).rc, TWRC_SUCCESS);
    const Reply set = SetOne(app, ICAP_XRESOLUTION, TWTY_FIX32, fix(100, 0));  // per centimetre
    ASSERT_EQ(set.rc, TWRC_SUCCESS);
    EXPECT_EQ(Entry("ICAP_XRESOLUTION", "Current"), "254.000000");
    EXPECT_NEAR(lx9::Fix32ToReal(lx9::Fix32FromBits(set.container->item)), 254 / 2.54, 1.0 / 65536);
    ASSERT_EQ(Request(app, ICAP_XRESOLUTION, MSG_SET,
                      MakeContainer(TWON_RANGE, TWTY_FIX32, {fix(20, 0), fix(400, 0), fix(0, 0x8000), 0, 0}),
                      TWON_RANGE)
                  .rc,
              TWRC_SUCCESS);
    double min = 0, max = 0, step = 0;  // in inches, to the fixed point's 1/65536
    ASSERT_EQ(std::sscanf(Entry("ICAP_XRESOLUTION", "Allowed").c_str(), "%lf_to_%lf,%lf", &min, &max, &step),
              3);
    EXPECT_NEAR(min, 50.8, 1.0 / 65536);
    EXPECT_NEAR(max, 1016, 1.0 / 65536);
    EXPECT_NEAR(step, 1.27, 1.0 / 65536);
}

}  // namespace
