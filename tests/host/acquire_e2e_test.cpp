// lx9acquire end to end: transfers, the files, the message boxes, the ways a run can fail.
#include "acquire_fixture.h"

#include <gmock/gmock.h>
#include <windows.h>

#include <cstdio>

namespace lx9::hosttest {
namespace {

using ::testing::HasSubstr;

bool Printed(const RunResult& run, const std::string& text) {
    return run.out.find(text) != std::string::npos;
}

class AcquireTransfers : public AcquireTest {
  protected:
    // One picture of this size by native and by memory transfer: both files equal the expected one.
    void CheckBothMechanisms(uint32_t width, uint32_t height) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        const std::string native = NewFolder("native-" + size);
        const std::string memory = NewFolder("memory-" + size);
        const RunResult a = Acquire({"--out", native, "--timeout", "30"}, {{"LX9_TEST_IMAGE_SIZE", size}});
        ASSERT_EQ(a.exitCode, 0) << a.out << a.err;
        const RunResult b =
            Acquire({"--memory", "--out", memory, "--timeout", "30"}, {{"LX9_TEST_IMAGE_SIZE", size}});
        ASSERT_EQ(b.exitCode, 0) << b.out << b.err;
        EXPECT_TRUE(Printed(a, "IMAGE 1 " + size + " native")) << a.out;
        EXPECT_TRUE(Printed(b, "IMAGE 1 " + size + " memory")) << b.out;

        const std::vector<uint8_t> expected = ExpectedBmp(width, height, 1);
        const std::vector<uint8_t> fromNative = ReadBytes(native + "\\image_001.bmp");
        const std::vector<uint8_t> fromMemory = ReadBytes(memory + "\\image_001.bmp");
        EXPECT_TRUE(fromNative == expected) << "native BMP of " << fromNative.size() << " bytes";
        EXPECT_TRUE(fromMemory == fromNative) << "memory BMP of " << fromMemory.size() << " bytes";

        // PNG where the platform's GDI+ encodes; otherwise the program said so and kept the BMP.
        for (const auto& [run, folder] : {std::pair{&a, native}, std::pair{&b, memory}}) {
            if (Printed(*run, "SAVED " + folder + "\\image_001.png")) {
                EXPECT_EQ(ComparePng(folder + "\\image_001.png", width, height, 1), "");
            } else {
                EXPECT_THAT(run->err, HasSubstr("no PNG"));
            }
        }
    }
};

TEST_F(AcquireTransfers, NativeAndMemoryGiveTheSameCorrectFiles) {
    CheckBothMechanisms(112, 64);
}

TEST_F(AcquireTransfers, AFullFrameComesInManyStrips) {
    CheckBothMechanisms(896, 512);
}

TEST_F(AcquireTransfers, PackedRowsOfAnOddWidthAreReadAsPacked) {
    CheckBothMechanisms(101, 67);
}

TEST_F(AcquireTransfers, EveryPictureOfARunIsSavedAndNothingIsOverwritten) {
    const std::string out = NewFolder("series");
    for (int run = 0; run < 2; ++run) {
        const RunResult result = Acquire({"--out", out, "--timeout", "30"}, {{"LX9_TEST_IMAGES", "3"}});
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    }
    for (uint32_t n = 1; n <= 6; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "\\image_%03u.bmp", n);
        EXPECT_TRUE(ReadBytes(out + name) == ExpectedBmp(112, 64, (n - 1) % 3 + 1)) << name;
    }
    EXPECT_FALSE(Exists(out + "\\image_007.bmp"));
}

TEST_F(AcquireTransfers, MaxImagesEndsTheRunWithoutACloseRequest) {
    const std::string out = NewFolder("max");
    const RunResult result = Acquire({"--out", out, "--max-images", "2", "--timeout", "30"},
                                     {{"LX9_TEST_IMAGES", "5"}, {"LX9_TEST_CLOSE", "0"}});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(Exists(out + "\\image_002.bmp"));
    EXPECT_FALSE(Exists(out + "\\image_003.bmp"));
}

TEST_F(AcquireTest, MessageBoxesOfTheSourceArePrintedAndAnswered) {
    const RunResult result =
        Acquire({"--out", NewFolder("boxes"), "--answer-boxes", "--timeout", "30"}, {{"LX9_TEST_BOX", "1"}});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(
        result.out,
        HasSubstr("BOX \"LX-9 TWAIN Source Error\" \"General failure in transfer.  Bummer error.\"\n"));
    EXPECT_THAT(result.out, HasSubstr("IMAGE 1 112x64 native"));
}

TEST_F(AcquireTest, CapabilitiesAreReadAndSetInCommandLineOrder) {
    const RunResult result =
        Acquire({"--out", NewFolder("caps"), "--timeout", "30", "--get", "ICAP_XFERMECH", "--set",
                 "ICAP_UNITS=TWUN_CENTIMETERS", "--get", "0x0102", "--set", "ICAP_UNITS=0", "--get",
                 "CAP_SUPPORTEDCAPS", "--query", "ICAP_UNITS", "--query", "ICAP_PHYSICALWIDTH"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr("SET ICAP_XFERMECH=TWSX_NATIVE\n"));
    EXPECT_THAT(result.out, HasSubstr("CAP ICAP_XFERMECH ENUMERATION TWTY_UINT16 current=TWSX_NATIVE "
                                      "default=TWSX_NATIVE items=TWSX_NATIVE,TWSX_MEMORY\n"));
    EXPECT_THAT(result.out,
                HasSubstr("SET ICAP_UNITS=TWUN_CENTIMETERS\nCAP ICAP_UNITS ENUMERATION TWTY_UINT16 "
                          "current=TWUN_CENTIMETERS"));
    EXPECT_THAT(result.out, HasSubstr("CAP CAP_SUPPORTEDCAPS ARRAY TWTY_UINT16 items=CAP_XFERCOUNT,"));
    EXPECT_THAT(result.out, HasSubstr("QUERY ICAP_UNITS GET,SET,GETDEFAULT,GETCURRENT,RESET\n"
                                      "QUERY ICAP_PHYSICALWIDTH GET,GETDEFAULT,GETCURRENT\n"));
}

TEST_F(AcquireTest, ARefusedSetEndsTheRunWithTheSourcesCondition) {
    const RunResult result =
        Acquire({"--out", NewFolder("refused-set"), "--timeout", "30", "--set", "ICAP_PIXELTYPE=TWPT_BW"});
    EXPECT_EQ(result.exitCode, 5) << result.out << result.err;
    EXPECT_THAT(result.err, HasSubstr("ICAP_PIXELTYPE"));
    EXPECT_THAT(result.err, HasSubstr("condition 10 (TWCC_BADVALUE)"));
}

TEST_F(AcquireTest, FailuresHaveTheirOwnExitCodesAndClearMessages) {
    const std::string out = NewFolder("failures");
    RunResult run = Acquire({"--out", out, "--source", "NO SUCH SCANNER", "--timeout", "30"});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_THAT(
        run.err,
        HasSubstr("\"NO SUCH SCANNER\" is not installed; installed: \"NORVIK LX-9\", \"Recorder A\""));

    run = Acquire({"--out", out, "--source", "Recorder A", "--timeout", "30"},
                  {{"RECORDER_REFUSE_OPEN", "16"}});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_THAT(run.err, HasSubstr("refused to open (TWRC_FAILURE, condition 16 (TWCC_DENIED))"));

    run = Acquire({"--out", out, "--timeout", "30", "--manager", out + "\\TWAIN_32.DLL"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("TWAIN_32.DLL cannot be loaded"));
    run = Acquire({"--out", out, "--timeout", "30", "--manager", tree_ + "\\RecorderA\\RecorderA.ds"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("has no DSM_Entry"));

    run = Acquire({"--out", out, "--timeout", "30"}, {{"LX9_TEST_IMAGES", "0"}});
    EXPECT_EQ(run.exitCode, 9);
    EXPECT_THAT(run.err, HasSubstr("closed before any image"));

    run = Acquire({"--out", out, "--timeout", "2"}, {{"LX9_TEST_IMAGES", "0"}, {"LX9_TEST_CLOSE", "0"}});
    EXPECT_EQ(run.exitCode, 8);
    EXPECT_THAT(run.err, HasSubstr("timed out: nothing happened for 2 s"));
    EXPECT_LT(run.seconds, 20);

    const std::string blocker = out + "\\blocker";
    CloseHandle(CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    run = Acquire({"--out", blocker + "\\sub", "--timeout", "30"});
    EXPECT_EQ(run.exitCode, 7) << "no folder can be made below a file";
    EXPECT_THAT(run.err, HasSubstr("cannot be created"));

    run = Acquire({"--get", "ICAP_NOSUCH"});
    EXPECT_EQ(run.exitCode, 2);
    run =
        Acquire({"--out", out, "--timeout", "30", "--query", "ICAP_BRIGHTNESS"});  // not a capability of ours
    EXPECT_EQ(run.exitCode, 5) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("refused MSG_QUERYSUPPORT of ICAP_BRIGHTNESS"));
    run = Acquire({"--max-images", "0"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("bad value for --max-images"));
    EXPECT_FALSE(Exists(out + "\\image_001.bmp"));
}

// The scripted user against the test shell's real splash, About and Property and its stand-in main window,
// which prints the input it gets: every action arrives as a person's input would.
class AcquireScript : public AcquireTest {
  protected:
    RunResult RunScript(const std::string& name, const std::string& script, const char* images = "0") {
        const std::string folder = NewFolder("script-" + name);
        const std::string path = folder + "\\script.txt";
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fputs(script.c_str(), file);
        std::fclose(file);
        return Acquire({"--script", path, "--timeout", "60", "--out", folder},
                       {{"LX9_TEST_WINDOW", "1"}, {"LX9_TEST_IMAGES", images}, {"LX9_TEST_CLOSE", "0"}});
    }
    // The lines in this order (others may come between).
    static void ExpectInOrder(const RunResult& run, const std::vector<std::string>& lines) {
        std::size_t at = 0;
        for (const std::string& line : lines) {
            const std::size_t found = run.out.find(line, at);
            ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n"
                                                << run.out << run.err;
            at = found + line.size();
        }
    }
};

TEST_F(AcquireScript, MainWindowInputArrivesAsAPersonsInput) {
    const RunResult run = RunScript("main",
                                    "wait splash\nwait main 10\n"
                                    "cell 3\ncell 7 ctrl\ncell 25\n"
                                    "mode index\nmode extended\n"
                                    "select-all\npage down\npage up\n"
                                    "check 1000 text \"ALL\"\ncheck 1132 enabled\n"
                                    "click \"Exit\"\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    ExpectInOrder(run, {"SCRIPT 1 OK wait splash",
                        "SCRIPT 2 OK wait main 10: \"LX-9 TWAIN\"",
                        "STANDIN cell 3 ctrl 0",
                        "SCRIPT 3 OK cell 3",
                        "STANDIN cell 7 ctrl 1",
                        "SCRIPT 4 OK cell 7 ctrl",
                        "STANDIN cell 25 ctrl 0",
                        "STANDIN mode 1",
                        "STANDIN mode 2",
                        "SCRIPT 6 OK mode index: \"INDEX\"",
                        "STANDIN mode 1",
                        "SCRIPT 7 OK mode extended: \"EXTEND\"",
                        "STANDIN select-all 1",
                        "SCRIPT 8 OK select-all",
                        "STANDIN vscroll 3",
                        "STANDIN vscroll 8",
                        "STANDIN vscroll 2",
                        "SCRIPT 12 OK check 1132 enabled",
                        "SCRIPT 13 OK click \"Exit\"",
                        "STANDIN exit 1"});
}

TEST_F(AcquireScript, AboutAndPropertyInsideTheirModalLoops) {
    const RunResult run = RunScript("dialogs",
                                    "wait main 10\nclick 32816\nwait about\ncheck 1 text \"OK\"\n"
                                    "close-about\nwait gone\nwait main\n"
                                    "click 1164\nwait property\ncheck 2 text \"CANCEL\"\n"
                                    "film positive\nclick 2\nwait gone\nwait main\n"
                                    "click 1164\nwait property\nfilm positive\nclick 1\nwait gone\n"
                                    "wait main\nclick 1165\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    ExpectInOrder(run, {"SCRIPT 3 OK wait about: \"About\"", "SCRIPT 5 OK close-about", "STANDIN about 0",
                        "SCRIPT 9 OK wait property: \"PROPERTY\"", "SCRIPT 11 OK film positive: \"POSI\"",
                        "STANDIN property 0 film 0", "SCRIPT 18 OK click 1", "STANDIN property 1 film 1",
                        "STANDIN exit 1"});
}

// The crop window's SCAN is enabled late; the drag arrives as the press, eight moves with the button held and
// the release, at client coordinates; EXIT of the crop window, the progress dialog and the preparing dialog.
TEST_F(AcquireScript, DragInTheCropWindowAndEveryExit) {
    const RunResult run = RunScript("crop",
                                    "wait main 10\nclick 1002\nwait crop\ncheck 1002 disabled\n"
                                    "wait-enabled 1002 5\ndrag 10 20 110 70\nclick 1161\nwait gone\n"
                                    "wait main\nclick 1003\nwait progress\nclick 2\nwait gone\n"
                                    "wait main\nclick 1001\nwait preparing\nclick 2\nwait gone\n"
                                    "wait main\nclick 1165\nwait gone\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    ExpectInOrder(
        run, {"SCRIPT 3 OK wait crop", "SCRIPT 4 OK check 1002 disabled", "SCRIPT 5 OK wait-enabled",
              "STANDIN crop down 10 20 mk 1", "STANDIN crop move 22 26 mk 1", "STANDIN crop move 60 45 mk 1",
              "STANDIN crop move 110 70 mk 1", "STANDIN crop up 110 70 lbutton 0",
              "SCRIPT 6 OK drag 10 20 110 70: W 110 H 70", "STANDIN crop exit 1", "SCRIPT 8 OK wait gone",
              "SCRIPT 11 OK wait progress", "STANDIN progress exit 1", "SCRIPT 13 OK wait gone",
              "SCRIPT 16 OK wait preparing", "STANDIN preparing exit 1", "SCRIPT 18 OK wait gone",
              "STANDIN exit 1", "SCRIPT 21 OK wait gone"});
    int moves = 0;
    for (std::size_t at = run.out.find("STANDIN crop move"); at != std::string::npos;
         at = run.out.find("STANDIN crop move", at + 1)) {
        ++moves;
    }
    EXPECT_EQ(moves, 8) << run.out;
}

// The progress dialog and the preparing dialog both carry the bar and EXIT: neither is taken for the other.
TEST_F(AcquireScript, TheProgressAndPreparingDialogsAreToldApart) {
    RunResult run = RunScript("not-progress", "wait main 10\nclick 1001\nwait progress 1\n");
    EXPECT_EQ(run.exitCode, 10) << run.out << run.err;
    EXPECT_TRUE(Printed(run, "SCRIPT 3 FAIL wait progress 1: timed out after")) << run.out;
    run = RunScript("not-preparing", "wait main 10\nclick 1003\nwait preparing 1\n");
    EXPECT_EQ(run.exitCode, 10) << run.out << run.err;
    EXPECT_TRUE(Printed(run, "SCRIPT 3 FAIL wait preparing 1: timed out after")) << run.out;
}

// "wait image" counts the images the application has saved: in all, or one more than the last wait.
TEST_F(AcquireScript, WaitImageCountsTheSavedImages) {
    const RunResult run =
        RunScript("images", "wait image\nwait image next 10\nwait image 2\nwait image 3 1\n", "2");
    EXPECT_EQ(run.exitCode, 10) << run.out << run.err;
    // The second image may come before the first wait is done.
    ExpectInOrder(run, {"IMAGE 1 ", "SCRIPT 1 OK wait image: "});
    ExpectInOrder(run, {"IMAGE 2 ", "SCRIPT 2 OK wait image next 10: 2 received",
                        "SCRIPT 3 OK wait image 2: 2 received",
                        "SCRIPT 4 FAIL wait image 3 1: 2 of 3 received, timed out after"});
}

TEST_F(AcquireScript, AFailedCommandEndsTheRunWithItsReason) {
    RunResult run = RunScript("fails", "wait main 10\ncheck 1000 text \"SOMETHING\"\ncell 1\n");
    EXPECT_EQ(run.exitCode, 10) << run.out << run.err;
    EXPECT_TRUE(Printed(run, "SCRIPT 2 FAIL check 1000 text \"SOMETHING\": shows \"ALL\"")) << run.out;
    EXPECT_FALSE(Printed(run, "STANDIN cell 1")) << "nothing after the failure";

    run = RunScript("times-out", "wait box 1\n");
    EXPECT_EQ(run.exitCode, 10) << run.out << run.err;
    EXPECT_TRUE(Printed(run, "SCRIPT 1 FAIL wait box 1: timed out after")) << run.out;

    run = RunScript("bad", "wait splash\nclick\n");
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("line 2: click needs one control id or \"caption\""));
}

}  // namespace
}  // namespace lx9::hosttest
