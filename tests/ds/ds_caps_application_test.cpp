// Negotiation as applications of later TWAIN versions do it, unattended: they open the source, list its
// capabilities, ask each what it supports, read it every way, set what they read back, reset, go through
// every unit, and ask for labels and help. No message box may appear: nobody is there to close it.
#include "ds_caps_support.h"

#include "caps/value_text.h"
#include "twain/source_state.h"

#include <gtest/gtest.h>

#include <map>

using namespace lx9test;

namespace {

constexpr TW_INT32 kReadable = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT;
constexpr TW_INT32 kAll = kReadable | TWQC_SET | TWQC_RESET;

// What the shipped control files let each capability do.
const std::map<TW_UINT16, TW_INT32> kSupport = {
    {CAP_XFERCOUNT, kAll},
    {ICAP_COMPRESSION, kAll},
    {ICAP_PIXELTYPE, kAll},
    {ICAP_UNITS, kAll},
    {ICAP_XFERMECH, kAll},
    {CAP_SUPPORTEDCAPS, kReadable},
    {CAP_AUTOFEED, kAll},
    {CAP_INDICATORS, kAll},
    {CAP_UICONTROLLABLE, kReadable},
    {CAP_DEVICEONLINE, kReadable},
    {ICAP_PHYSICALWIDTH, kReadable},
    {ICAP_PHYSICALHEIGHT, kReadable},
    {ICAP_XRESOLUTION, kReadable | TWQC_RESET},
    {ICAP_YRESOLUTION, kReadable | TWQC_RESET},
    {ICAP_BITORDER, kAll},
    {ICAP_PIXELFLAVOR, kAll},
    {ICAP_PLANARCHUNKY, kAll},
    {ICAP_BITDEPTH, kAll},
};

// The frame and the resolutions as the files keep them: inches and per inch.
constexpr double kFrameWidth = 1 + 12385 / 65536.0;  // 30.2 mm
constexpr double kFrameHeight = 43089 / 65536.0;     // 16.7 mm
constexpr double kResolution = 417, kFineResolution = 835;

double Real(uint32_t bits) {
    return lx9::Fix32ToReal(lx9::Fix32FromBits(bits));
}
std::string SourceText() {
    return ReadFileText(SourceControlFile()).value_or("");
}

// The container an application sends back to keep a value: what it was given.
HGLOBAL Echo(const Container& c) {
    switch (c.conType) {
        case TWON_ONEVALUE:
            return MakeContainer(TWON_ONEVALUE, c.itemType, {c.item});
        case TWON_RANGE:
            return MakeContainer(TWON_RANGE, c.itemType, {c.min, c.max, c.step, c.def, c.cur});
        default: {
            std::vector<uint32_t> items;
            for (int64_t item : c.items) items.push_back(static_cast<uint32_t>(item));
            return MakeContainer(c.conType, c.itemType, items);
        }
    }
}

// A value the capability does not have: another one value, a list one item shorter.
HGLOBAL Other(const Container& c) {
    if (c.conType == TWON_ONEVALUE) return MakeContainer(TWON_ONEVALUE, c.itemType, {c.item + 1});
    Container shorter = c;
    shorter.items.pop_back();
    return Echo(shorter);
}

class Application15Plus : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    }
    void TearDown() override {
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});  // an unattended application would hang here
        ResetModule();
    }
    ControlFiles files{ShippedFile("NorvikLX9.src"), ShippedFile("NorvikLX9.ini")};
    BoxWatcher boxes;
    Application app;

    std::vector<TW_UINT16> SupportedCaps() {
        std::vector<TW_UINT16> caps;
        const Reply reply = Request(app, CAP_SUPPORTEDCAPS, MSG_GET);
        EXPECT_EQ(reply.rc, TWRC_SUCCESS);
        if (reply.container)
            for (int64_t cap : reply.container->items) caps.push_back(static_cast<TW_UINT16>(cap));
        return caps;
    }

    TW_INT32 QuerySupport(TW_UINT16 cap) {
        const Reply reply = Request(app, cap, MSG_QUERYSUPPORT);
        EXPECT_EQ(reply.rc, TWRC_SUCCESS);
        if (!reply.container) return -1;
        EXPECT_EQ(reply.container->conType, TWON_ONEVALUE);
        EXPECT_EQ(reply.container->itemType, TWTY_INT32);
        EXPECT_EQ(reply.container->blockSize, 6u);
        return static_cast<TW_INT32>(reply.container->item);
    }

    Container Current(TW_UINT16 cap) {
        const Reply reply = Request(app, cap, MSG_GETCURRENT);
        EXPECT_EQ(reply.rc, TWRC_SUCCESS);
        return reply.container.value_or(Container{});
    }
};

TEST_F(Application15Plus, EveryCapabilityNegotiatesAsItsQuerySupportSays) {
    const std::vector<TW_UINT16> caps = SupportedCaps();
    ASSERT_EQ(caps.size(), kSupport.size());
    for (TW_UINT16 cap : caps) {
        SCOPED_TRACE(cap);
        const TW_INT32 flags = QuerySupport(cap);
        ASSERT_EQ(flags, kSupport.at(cap));
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            const Reply reply = Request(app, cap, msg);
            EXPECT_EQ(reply.rc, TWRC_SUCCESS) << msg;
            EXPECT_TRUE(reply.container) << msg;
        }
        for (TW_UINT16 msg : {MSG_GETHELP, MSG_GETLABEL, MSG_GETLABELENUM, MSG_SETCONSTRAINT}) {
            const Reply reply = Request(app, cap, msg);
            EXPECT_EQ(reply.rc, TWRC_FAILURE) << msg;
            EXPECT_EQ(reply.condition, TWCC_BADPROTOCOL) << msg;
            EXPECT_FALSE(reply.container) << msg;
        }

        // Keeping the current value always succeeds and changes nothing; a settable capability writes it
        // back as it stood, a read-only one writes nothing and refuses any other value.
        const Container current = Current(cap);
        const std::string before = SourceText();
        const Reply kept = Request(app, cap, MSG_SET, Echo(current), current.conType);
        EXPECT_EQ(kept.rc, TWRC_SUCCESS);
        EXPECT_EQ(kept.condition, TWCC_SUCCESS);
        EXPECT_EQ(SourceText(), before);
        if (!(flags & TWQC_SET)) {
            const Reply refused = Request(app, cap, MSG_SET, Other(current), current.conType);
            EXPECT_EQ(refused.rc, TWRC_FAILURE);
            EXPECT_EQ(refused.condition, TWCC_BADVALUE);
            EXPECT_EQ(SourceText(), before);
        }

        const Reply reset = Request(app, cap, MSG_RESET);
        if (flags & TWQC_RESET) {
            EXPECT_EQ(reset.rc, TWRC_SUCCESS);
            EXPECT_TRUE(reset.container);
        } else {
            EXPECT_EQ(reset.rc, TWRC_FAILURE);
            EXPECT_EQ(reset.condition, TWCC_BADPROTOCOL);
        }
    }
}

TEST_F(Application15Plus, QuerySupportIsAnsweredInEveryState) {
    for (int32_t state : {300, 400, 500, 600, 700}) {
        lx9::sourceState = state;
        EXPECT_EQ(QuerySupport(ICAP_UNITS), kAll) << state;
        EXPECT_EQ(QuerySupport(ICAP_PHYSICALWIDTH), kReadable) << state;
        EXPECT_EQ(lx9::sourceState, state);
    }
    const Reply unknown = Request(app, ICAP_BRIGHTNESS, MSG_QUERYSUPPORT);
    EXPECT_EQ(unknown.rc, TWRC_FAILURE);
    EXPECT_EQ(unknown.condition, TWCC_BADCAP);
    EXPECT_FALSE(unknown.container);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, nullptr), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    const Reply later = Request(app, ICAP_BRIGHTNESS, MSG_GETLABEL);  // unknown, and a later message
    EXPECT_EQ(later.condition, TWCC_BADPROTOCOL);
}

// The 1.5 messages the source never took keep their box: it is the one refusal a 1.5 application may see.
TEST_F(Application15Plus, OlderMessagesKeepTheirBox) {
    const Reply first = Request(app, ICAP_UNITS, MSG_GETFIRST);
    EXPECT_EQ(first.condition, TWCC_BADPROTOCOL);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"General failure in response to DAT_CAPS.  Bad protocol error."});
    boxes.Clear();
}

struct UnitCase {
    TW_UINT16 unit;
    double length;                     // an inch in the unit
    double perLength, finePerLength;   // the two resolutions in the unit
    double widthPixels, heightPixels;  // per inch, for a length in pixels
};

TEST_F(Application15Plus, DistancesAnswerInEveryUnitOffered) {
    const Reply units = Request(app, ICAP_UNITS, MSG_GET);
    ASSERT_EQ(units.container->items, (std::vector<int64_t>{TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS}));
    const UnitCase cases[] = {
        {TWUN_INCHES, 1, kResolution, kFineResolution, 1, 1},
        {TWUN_CENTIMETERS, 2.54, kResolution / 2.54, kFineResolution / 2.54, 1, 1},
        {TWUN_PIXELS, 1, 1, 1, kResolution, kResolution},
    };
    constexpr double kOneStep = 1.0 / 65536;
    for (const UnitCase& u : cases) {
        SCOPED_TRACE(u.unit);
        ASSERT_EQ(SetOne(app, ICAP_UNITS, TWTY_UINT16, u.unit).rc, TWRC_SUCCESS);
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            const Reply width = Request(app, ICAP_PHYSICALWIDTH, msg),
                        height = Request(app, ICAP_PHYSICALHEIGHT, msg);
            ASSERT_TRUE(width.container && height.container);
            EXPECT_NEAR(Real(width.container->item), kFrameWidth * u.length * u.widthPixels, kOneStep);
            EXPECT_NEAR(Real(height.container->item), kFrameHeight * u.length * u.heightPixels, kOneStep);
        }
        for (TW_UINT16 cap : {ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
            const Reply all = Request(app, cap, MSG_GET);
            ASSERT_EQ(all.container->conType, TWON_ENUMERATION);
            ASSERT_EQ(all.container->items.size(), 2u);
            EXPECT_NEAR(Real(static_cast<uint32_t>(all.container->items[0])), u.perLength, kOneStep);
            EXPECT_NEAR(Real(static_cast<uint32_t>(all.container->items[1])), u.finePerLength, kOneStep);
            EXPECT_EQ(all.container->currentIndex, 0u);
            EXPECT_NEAR(Real(Current(cap).item), u.perLength, kOneStep);
            EXPECT_NEAR(Real(Request(app, cap, MSG_GETDEFAULT).container->item), u.perLength, kOneStep);
        }
        // What was read in this unit is what keeps the value in this unit.
        const std::string before = SourceText();
        for (TW_UINT16 cap : {ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT, ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
            const Container current = Current(cap);
            EXPECT_EQ(Request(app, cap, MSG_SET, Echo(current), TWON_ONEVALUE).rc, TWRC_SUCCESS) << cap;
            EXPECT_EQ(Request(app, cap, MSG_SET, Other(current), TWON_ONEVALUE).condition, TWCC_BADVALUE)
                << cap;
        }
        EXPECT_EQ(SourceText(), before);
    }
    ASSERT_EQ(Request(app, ICAP_UNITS, MSG_RESET).rc, TWRC_SUCCESS);
    EXPECT_NEAR(Real(Current(ICAP_PHYSICALWIDTH).item), kFrameWidth, kOneStep);
}

TEST_F(Application15Plus, AUnitTheSourceDoesNotMeasureInFailsOnlyTheDistances) {
    WritePrivateProfileStringA("ICAP_UNITS", "Current", "TWUN_PICAS", SourceControlFile().c_str());
    for (TW_UINT16 cap : {ICAP_PHYSICALWIDTH, ICAP_XRESOLUTION}) {
        const Reply reply = Request(app, cap, MSG_GETCURRENT);
        EXPECT_EQ(reply.rc, TWRC_FAILURE) << cap;
        EXPECT_EQ(reply.condition, TWCC_OPERATIONERROR) << cap;
        EXPECT_FALSE(reply.container) << cap;
    }
    EXPECT_EQ(Request(app, ICAP_BITDEPTH, MSG_GETCURRENT).rc, TWRC_SUCCESS);
}

}  // namespace
