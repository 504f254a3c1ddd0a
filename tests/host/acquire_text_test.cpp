// The acquisition program's texts: its command line, capability values both ways, container lines and the
// lines it prints for message boxes.
#include "box_answerer.h"
#include "cap_value.h"
#include "container_text.h"
#include "options.h"
#include "script.h"
#include "twain_names.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lx9::acquire {
namespace {

bool Parse(std::vector<std::string> args, Options& options, std::string& error) {
    options = Options{};
    return ParseOptions(args, options, error);
}

TEST(AcquireOptions, TakesEveryOptionInBothSpellingsAndKeepsCapabilityOrder) {
    Options options;
    std::string error;
    ASSERT_TRUE(Parse({"--out", "C:\\scans", "--memory", "--set", "ICAP_XFERMECH=TWSX_MEMORY", "--get=0x0102",
                       "--set=ICAP_UNITS=1", "--query", "ICAP_UNITS", "--box-answer", "no", "--max-images=3",
                       "--timeout", "20", "--source", "Other", "--manager=C:\\x\\TWAIN_32.DLL"},
                      options, error))
        << error;
    EXPECT_EQ(options.outFolder, "C:\\scans");
    EXPECT_TRUE(options.memory);
    EXPECT_EQ(options.sourceName, "Other");
    EXPECT_EQ(options.manager, "C:\\x\\TWAIN_32.DLL");
    ASSERT_EQ(options.capabilities.size(), 4u);
    EXPECT_TRUE(options.capabilities[0].set);
    EXPECT_EQ(options.capabilities[0].cap, "ICAP_XFERMECH");
    EXPECT_EQ(options.capabilities[0].value, "TWSX_MEMORY");
    EXPECT_FALSE(options.capabilities[1].set);
    EXPECT_EQ(options.capabilities[1].cap, "0x0102");
    EXPECT_EQ(options.capabilities[2].value, "1");
    EXPECT_FALSE(options.capabilities[1].query);
    EXPECT_TRUE(options.capabilities[3].query);
    EXPECT_FALSE(options.capabilities[3].set);
    EXPECT_EQ(options.capabilities[3].cap, "ICAP_UNITS");
    EXPECT_TRUE(options.answerBoxes);
    EXPECT_EQ(options.boxAnswer, 7);
    EXPECT_EQ(options.maxImages, 3);
    EXPECT_EQ(options.timeoutSeconds, 20);
}

TEST(AcquireOptions, RefusesMalformedCommandLines) {
    Options options;
    std::string error;
    for (const auto& args : std::vector<std::vector<std::string>>{{"--frobnicate"},
                                                                  {"stray"},
                                                                  {"--out"},
                                                                  {"--out", ""},
                                                                  {"--set", "ICAP_UNITS"},
                                                                  {"--set", "=1"},
                                                                  {"--set", "ICAP_UNITS="},
                                                                  {"--max-images", "0"},
                                                                  {"--max-images", "two"},
                                                                  {"--timeout", "-1"},
                                                                  {"--timeout", "99999999999"},
                                                                  {"--box-answer", "maybe"},
                                                                  {"--memory=yes"},
                                                                  {"--get", ""},
                                                                  {"--query"},
                                                                  {"--query", ""}}) {
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(CapabilityValues, ParsesNamesNumbersAndFixedPointForTheItemType) {
    TW_UINT32 item = 0;
    std::string error;
    ASSERT_TRUE(ParseItemValue("TWSX_MEMORY", TWTY_UINT16, item, error));
    EXPECT_EQ(item, 2u);
    ASSERT_TRUE(ParseItemValue("0x10", TWTY_UINT16, item, error));
    EXPECT_EQ(item, 16u);
    ASSERT_TRUE(ParseItemValue("TRUE", TWTY_BOOL, item, error));
    EXPECT_EQ(item, 1u);
    ASSERT_TRUE(ParseItemValue("-1", TWTY_INT16, item, error));
    EXPECT_EQ(item, 0xFFFFu) << "a 16-bit item sits in the low half";
    ASSERT_TRUE(ParseItemValue("300.5", TWTY_FIX32, item, error));
    TW_FIX32 fix{};
    std::memcpy(&fix, &item, sizeof(fix));
    EXPECT_EQ(fix.Whole, 300);
    EXPECT_EQ(fix.Frac, 32768);
    ASSERT_TRUE(ParseItemValue("-0.25", TWTY_FIX32, item, error));
    std::memcpy(&fix, &item, sizeof(fix));
    EXPECT_EQ(fix.Whole, -1);
    EXPECT_EQ(fix.Frac, 49152) << "-1 + 0.75";

    EXPECT_FALSE(ParseItemValue("65536", TWTY_UINT16, item, error));
    EXPECT_FALSE(ParseItemValue("-1", TWTY_UINT32, item, error));
    EXPECT_FALSE(ParseItemValue("2", TWTY_BOOL, item, error));
    EXPECT_FALSE(ParseItemValue("12abc", TWTY_INT32, item, error));
    EXPECT_FALSE(ParseItemValue("TWSX_MEMORYX", TWTY_UINT16, item, error));
    EXPECT_FALSE(ParseItemValue("40000", TWTY_FIX32, item, error));
    EXPECT_FALSE(ParseItemValue("x", TWTY_STR32, item, error));
}

TEST(CapabilityValues, NamesCapabilitiesBothWays) {
    EXPECT_EQ(CapabilityFromText("ICAP_XFERMECH"), ICAP_XFERMECH);
    EXPECT_EQ(CapabilityFromText("0x1118"), ICAP_XRESOLUTION);
    EXPECT_EQ(CapabilityFromText("4101"), CAP_SUPPORTEDCAPS);
    EXPECT_FALSE(CapabilityFromText("ICAP_NOTHING"));
    EXPECT_FALSE(CapabilityFromText("70000"));
    EXPECT_FALSE(CapabilityFromText(""));
    EXPECT_EQ(CapabilityName(ICAP_PIXELFLAVOR), "ICAP_PIXELFLAVOR");
    EXPECT_EQ(CapabilityName(0x8123), "0x8123");
}

// Builds a container block: header fields, then items.
template <typename Header>
std::vector<uint8_t> Block(const Header& header, const std::vector<uint16_t>& items, size_t itemsAt) {
    std::vector<uint8_t> block(itemsAt + items.size() * 2);
    std::memcpy(block.data(), &header, std::min(sizeof(header), itemsAt));
    std::memcpy(block.data() + itemsAt, items.data(), items.size() * 2);
    return block;
}

TEST(ContainerText, DescribesEachContainerKindWithNamesWhereTheCapabilityHasThem) {
    std::string text, error;
    TW_ENUMERATION enumeration{TWTY_UINT16, 2, 1, 0, {0}};
    auto block = Block(enumeration, {0, 2}, offsetof(TW_ENUMERATION, ItemList));
    ASSERT_TRUE(DescribeContainer(ICAP_XFERMECH, TWON_ENUMERATION, block.data(), block.size(), text, error))
        << error;
    EXPECT_EQ(text,
              "CAP ICAP_XFERMECH ENUMERATION TWTY_UINT16 current=TWSX_MEMORY default=TWSX_NATIVE "
              "items=TWSX_NATIVE,TWSX_MEMORY");

    TW_ARRAY array{TWTY_UINT16, 2, {0}};
    block = Block(array, {CAP_XFERCOUNT, 0x8001}, offsetof(TW_ARRAY, ItemList));
    ASSERT_TRUE(DescribeContainer(CAP_SUPPORTEDCAPS, TWON_ARRAY, block.data(), block.size(), text, error));
    EXPECT_EQ(text, "CAP CAP_SUPPORTEDCAPS ARRAY TWTY_UINT16 items=CAP_XFERCOUNT,0x8001");

    TW_ONEVALUE one{TWTY_BOOL, 1};
    ASSERT_TRUE(DescribeContainer(CAP_INDICATORS, TWON_ONEVALUE, reinterpret_cast<uint8_t*>(&one),
                                  sizeof(one), text, error));
    EXPECT_EQ(text, "CAP CAP_INDICATORS ONEVALUE TWTY_BOOL TRUE");

    TW_RANGE range{TWTY_FIX32, 50, 1200, 0x80000000u | 10, 0, 300};
    ASSERT_TRUE(DescribeContainer(ICAP_XRESOLUTION, TWON_RANGE, reinterpret_cast<uint8_t*>(&range),
                                  sizeof(range), text, error));
    EXPECT_EQ(text, "CAP ICAP_XRESOLUTION RANGE TWTY_FIX32 min=50 max=1200 step=10.5 default=0 current=300");
}

TEST(ContainerText, QuerySupportFlagsByName) {
    EXPECT_EQ(QuerySupportText(TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT), "GET,GETDEFAULT,GETCURRENT");
    EXPECT_EQ(QuerySupportText(0x1F), "GET,SET,GETDEFAULT,GETCURRENT,RESET");
    EXPECT_EQ(QuerySupportText(0), "NONE");
    EXPECT_EQ(QuerySupportText(TWQC_SET | 0x0140), "SET,0x0140");
}

TEST(ContainerText, RefusesContainersLargerThanTheirBlock) {
    std::string text, error;
    TW_ENUMERATION enumeration{TWTY_UINT16, 3, 0, 0, {0}};
    auto block = Block(enumeration, {0, 2}, offsetof(TW_ENUMERATION, ItemList));
    EXPECT_FALSE(DescribeContainer(ICAP_XFERMECH, TWON_ENUMERATION, block.data(), block.size(), text, error));
    enumeration.NumItems = 0x80000001u;  // count x item size wraps in 32 bits
    block = Block(enumeration, {0, 2}, offsetof(TW_ENUMERATION, ItemList));
    EXPECT_FALSE(DescribeContainer(ICAP_XFERMECH, TWON_ENUMERATION, block.data(), block.size(), text, error));

    TW_ONEVALUE one{TWTY_UINT16, 2};
    EXPECT_FALSE(
        DescribeContainer(ICAP_XFERMECH, TWON_ONEVALUE, reinterpret_cast<uint8_t*>(&one), 3, text, error));
    one.ItemType = TWTY_STR255;
    EXPECT_FALSE(DescribeContainer(CAP_AUTHOR, TWON_ONEVALUE, reinterpret_cast<uint8_t*>(&one), sizeof(one),
                                   text, error));
    one.ItemType = 77;
    EXPECT_FALSE(DescribeContainer(CAP_AUTHOR, TWON_ONEVALUE, reinterpret_cast<uint8_t*>(&one), sizeof(one),
                                   text, error));
    TW_RANGE range{};
    EXPECT_FALSE(
        DescribeContainer(ICAP_XRESOLUTION, TWON_RANGE, reinterpret_cast<uint8_t*>(&range), 21, text, error));
    EXPECT_FALSE(DescribeContainer(ICAP_XRESOLUTION, 9, reinterpret_cast<uint8_t*>(&range), 22, text, error));

    // An index outside the list is shown as such, not read.
    enumeration.NumItems = 2;
    enumeration.CurrentIndex = 5;
    block = Block(enumeration, {0, 2}, offsetof(TW_ENUMERATION, ItemList));
    ASSERT_TRUE(DescribeContainer(ICAP_XFERMECH, TWON_ENUMERATION, block.data(), block.size(), text, error));
    EXPECT_NE(text.find("current=?(index 5)"), std::string::npos) << text;
}

TEST(BoxAnswerer, PrintsOneLineWithQuotesAndLineEndsEscaped) {
    EXPECT_EQ(BoxLine("LX-9 TWAIN Source Error", "General failure.  Bad value error."),
              "BOX \"LX-9 TWAIN Source Error\" \"General failure.  Bad value error.\"");
    EXPECT_EQ(BoxLine("", "a \"b\"\r\nc\\d"), "BOX \"\" \"a \\\"b\\\"\\r\\nc\\\\d\"");
}

TEST(AcquireScript, ReadsEveryCommandWithItsArguments) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(
        ParseScript("# a comment\r\n\n  wait preparing 5\r\nwait-text 1003 \"Ins\\\"ert\" 9\n"
                    "click 2\nclick \"Exit\"\ncell 15 ctrl\nmode extended\nselect-all\npage down\n"
                    "answer cancel\nfilm positive\nclose-about\ncheck 1005 hidden\n"
                    "check 1003 text \"a\\nb\"\nsleep 250\nscreenshot \"C:\\shot.png\"\nend\n",
                    commands, error))
        << error;
    ASSERT_EQ(commands.size(), 16u);
    EXPECT_EQ(commands[0].line, 3);
    EXPECT_EQ(commands[0].verb, ScriptVerb::kWait);
    EXPECT_EQ(commands[0].word, "preparing");
    EXPECT_EQ(commands[0].timeoutMs, 5000u);
    EXPECT_EQ(commands[0].text, "wait preparing 5");
    EXPECT_EQ(commands[1].number, 1003);
    EXPECT_EQ(commands[1].value, "Ins\"ert");
    EXPECT_EQ(commands[1].timeoutMs, 9000u);
    EXPECT_EQ(commands[2].number, 2);
    EXPECT_EQ(commands[3].word, "Exit");
    EXPECT_EQ(commands[4].number, 15);
    EXPECT_TRUE(commands[4].ctrl);
    EXPECT_EQ(commands[5].number, 1);
    EXPECT_EQ(commands[7].word, "down");
    EXPECT_EQ(commands[8].word, "cancel");
    EXPECT_EQ(commands[8].timeoutMs, 20000u) << "the default time-out";
    EXPECT_EQ(commands[9].number, 1);
    EXPECT_EQ(commands[11].word, "hidden");
    EXPECT_EQ(commands[12].value, "a\nb");
    EXPECT_EQ(commands[13].number, 250);
    EXPECT_EQ(commands[14].value, "C:\\shot.png");
    EXPECT_EQ(commands[15].verb, ScriptVerb::kEnd);
}

TEST(AcquireScript, ReadsTheCropAndImageCommands) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(
        ParseScript("wait crop\nwait progress 90\nwait image\nwait image 3\nwait image next 45\n"
                    "wait image 2 30\nwait-enabled 1002\nwait-enabled 0x3EA 8\n"
                    "drag 10 20 -5 300\ndrag 447 255 0 0\n",
                    commands, error))
        << error;
    ASSERT_EQ(commands.size(), 10u);
    EXPECT_EQ(commands[0].verb, ScriptVerb::kWait);
    EXPECT_EQ(commands[0].word, "crop");
    EXPECT_EQ(commands[1].word, "progress");
    EXPECT_EQ(commands[1].timeoutMs, 90000u);
    EXPECT_EQ(commands[2].verb, ScriptVerb::kWaitImage);
    EXPECT_EQ(commands[2].number, 0) << "no count: the next image";
    EXPECT_EQ(commands[2].timeoutMs, 20000u);
    EXPECT_EQ(commands[3].number, 3) << "a lone number is the count, not the time-out";
    EXPECT_EQ(commands[3].timeoutMs, 20000u);
    EXPECT_EQ(commands[4].number, 0);
    EXPECT_EQ(commands[4].timeoutMs, 45000u);
    EXPECT_EQ(commands[5].number, 2);
    EXPECT_EQ(commands[5].timeoutMs, 30000u);
    EXPECT_EQ(commands[6].verb, ScriptVerb::kWaitEnabled);
    EXPECT_EQ(commands[6].number, 1002);
    EXPECT_EQ(commands[7].number, 1002);
    EXPECT_EQ(commands[7].timeoutMs, 8000u);
    EXPECT_EQ(commands[8].verb, ScriptVerb::kDrag);
    const int expected[4] = {10, 20, -5, 300};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(commands[8].points[i], expected[i]) << i;
    EXPECT_EQ(commands[9].points[0], 447);
    EXPECT_EQ(commands[9].points[3], 0);
}

TEST(AcquireScript, NamesTheLineOfTheFirstMistake) {
    const std::pair<const char*, const char*> cases[] = {
        {"wait", "line 1: wait needs"},
        {"wait mainwindow", "line 1: wait needs"},
        {"wait main 0", "line 1: bad time-out"},
        {"wait main 5 6", "line 1: bad time-out"},
        {"wait-text 1003 Insert", "line 1: wait-text needs"},
        {"click \"Exit", "line 1: a quoted text is not closed"},
        {"click \"2\" 3", "line 1: click needs"},
        {"cell 26", "line 1: cell needs"},
        {"cell 3 shift", "line 1: cell needs"},
        {"mode fast", "line 1: mode needs"},
        {"page left", "line 1: page needs"},
        {"answer maybe", "line 1: answer needs"},
        {"film colour", "line 1: film needs"},
        {"check 1003 bold", "line 1: check ID needs"},
        {"check 1003 text Insert", "line 1: check ID text needs"},
        {"sleep soon", "line 1: sleep needs"},
        {"wait image 0", "line 1: wait image needs"},
        {"wait image soon", "line 1: wait image needs"},
        {"wait image 2 0", "line 1: bad time-out"},
        {"wait image next 5 6", "line 1: bad time-out"},
        {"wait-enabled", "line 1: wait-enabled needs"},
        {"wait-enabled 1002 0", "line 1: bad time-out"},
        {"drag 1 2 3", "line 1: drag needs"},
        {"drag 1 2 3 4 5", "line 1: drag needs"},
        {"drag 1 2 3 40000", "line 1: drag needs"},
        {"drag 1 2 3 x", "line 1: drag needs"},
        {"drag 1 2 3 \"4\"", "line 1: drag needs"},
        {"\n# fine\nfly away", "line 3: unknown command \"fly\""},
    };
    for (const auto& [script, expected] : cases) {
        std::vector<ScriptCommand> commands;
        std::string error;
        EXPECT_FALSE(ParseScript(script, commands, error)) << script;
        EXPECT_EQ(error.rfind(expected, 0), 0u) << script << " -> " << error;
    }
}

}  // namespace
}  // namespace lx9::acquire
