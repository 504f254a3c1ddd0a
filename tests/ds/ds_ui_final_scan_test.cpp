// The standard final scan against lx9emu on LPT1, operated through the window's buttons: three frames
// with their command stream kept as a golden transcript, each image taken as the application takes it, the
// next frame held back while the application has not taken the previous one, and EXIT in the progress
// dialog. Each suite runs against its own emulator, started with the options named above it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "chain/chain_state.h"
#include "device/device_state.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "ds_device_emulator.h"
#include "ds_device_support.h"
#include "ds_ui_main_support.h"
#include "ds_ui_scan_support.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/main_layout.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "ui/workflows/final_scan.h"

namespace {

using lx9test::CellButton;
using lx9test::Count;
using lx9test::TakenImage;
using lx9test::Transcript;

int Button(int cell) {
    return CellButton(cell);
}

// Where a person looks in a standard frame (the scene is drawn on 112 x 64 blocks: 8 pixels each here).
struct Taken {
    LONG width = 0, height = 0;
    WORD bits = 0;
    SIZE_T bytes = 0;
    bool markerTopLeft = false;      // the scene's yellow marker where a person sees it: top left
    bool markerBottomRight = false;  // where it lands when the picture is turned
    bool redLeftOfWhite = false;     // the patch row reads red .. white from the left
    int number = -1;                 // the frame number drawn top right
    std::string patchesWrong;        // the whole patch row, colour by colour
    int numberTurned = -1;           // the same read from the bottom right, upside down
    std::string patchesWrongTurned;
};

Taken Look(const TakenImage& image) {
    Taken taken;
    taken.width = image.width;
    taken.height = image.height;
    taken.bits = image.bits;
    taken.bytes = image.bytes;
    if (taken.width == 896 && taken.height == 512 && taken.bits == 24) {
        int red[3], white[3];
        taken.markerTopLeft = image.YellowAt(68, 68);
        taken.markerBottomRight = image.YellowAt(895 - 68, 511 - 68);
        taken.redLeftOfWhite = image.MeanAt(76, 428, red) && image.MeanAt(412, 428, white) &&
                               red[2] > red[1] + 50 && white[1] > 170;
        taken.number = image.FrameNumber(8);
        taken.patchesWrong = image.PatchesWrong(8);
        taken.numberTurned = image.FrameNumber(8, true);
        taken.patchesWrongTurned = image.PatchesWrong(8, true);
    }
    return taken;
}

Taken TakeImage() {
    return Look(lx9test::TakeImage());
}

class FinalScanTest : public lx9test::ScanTest {
  protected:
    void SelectFrames123AndScan() {
        lx9test::ClickCell(window, Button(1), false);
        lx9test::ClickCell(window, Button(2), true);
        lx9test::ClickCell(window, Button(3), true);
        lx9test::ChooseMode(window, lx9::kScanStandard);
        lx9::sourceState = lx9::kState5Enabled;
        log.Mark();
        lx9test::Click(window, kScan);
    }
    std::vector<Taken> TakeUntilReady() {
        std::vector<Taken> images;
        for (const TakenImage& image : ScanTest::TakeUntilReady()) images.push_back(Look(image));
        return images;
    }
    void ThreeFramesAsGolden(const std::string& golden, const std::string& title) {
        SelectFrames123AndScan();
        const DWORD start = GetTickCount();
        const auto images = TakeUntilReady();
        const DWORD elapsed = GetTickCount() - start;
        ASSERT_EQ(lx9::mainDialog, window) << "no error was reported";
        ASSERT_EQ(images.size(), 3u);
        for (int frame = 1; frame <= 3; ++frame) {
            EXPECT_EQ(images[frame - 1].number, frame) << "frames in the order selected, numbered top right";
            EXPECT_EQ(images[frame - 1].patchesWrong, "");
        }
        for (const Taken& image : images) {
            EXPECT_EQ(image.width, 896);
            EXPECT_EQ(image.height, 512);
            EXPECT_EQ(image.bits, 24);
            EXPECT_GE(image.bytes, 40u + 896u * 512u * 3u);
            EXPECT_TRUE(image.markerTopLeft) << "the picture the right way up";
            EXPECT_TRUE(image.redLeftOfWhite) << "the patches in their order";
        }
        EXPECT_GE(elapsed, 6000u) << "two pauses of 3000 ms between the frames";
        const auto lines = log.Since();
        EXPECT_EQ(Count(lines, "0424"), lx9::filmType == lx9::kFilmNegative ? 6 : 3)
            << "a measuring window before each frame on negative film";
        const std::string diff = lx9test::CompareGolden(golden, Transcript(lines, title));
        EXPECT_TRUE(diff.empty()) << diff;
        EXPECT_EQ(lx9::progressDialog, nullptr);
        EXPECT_EQ(lx9::finalImage.data != nullptr, true) << "the last image stays until the next scan";
    }
};

// lx9emu --fast --standby on --cartridge 25 --film negative
class FinalNegative : public FinalScanTest {};

TEST_F(FinalNegative, ThreeFramesEachMeasuredReadInBlocksAndOffered) {
    ThreeFramesAsGolden("tests/ds/golden/final_standard_negative.txt",
                        "Standard final scan of frames 1, 2 and 3, negative film");
}

TEST_F(FinalNegative, SlowApplicationHoldsTheNextFrameBack) {
    SelectFrames123AndScan();
    ASSERT_TRUE(lx9test::PumpUntil([] { return lx9::transferImage != nullptr; }, 60000));
    HGLOBAL first = lx9::transferImage;
    const size_t before = log.Since().size();
    lx9test::Pump(6000);  // the pause and three more seconds without taking the image
    EXPECT_EQ(lx9::transferImage, first) << "the image not yet taken is neither replaced nor freed";
    EXPECT_EQ(GlobalSize(first), 40u + 896u * 512u * 3u);
    EXPECT_EQ(log.Since().size(), before) << "nothing is scanned while the application holds the image";
    std::vector<Taken> images{TakeImage()};
    auto rest = TakeUntilReady();
    images.insert(images.end(), rest.begin(), rest.end());
    ASSERT_EQ(images.size(), 3u);
    for (const Taken& image : images) EXPECT_EQ(image.width, 896);
}

TEST_F(FinalNegative, ExitInTheProgressDialogStopsTheScan) {
    SelectFrames123AndScan();
    ASSERT_TRUE(lx9test::PumpUntil([] { return lx9::progressDialog != nullptr; }, 60000));
    HWND dialog = lx9::progressDialog;
    EXPECT_EQ(lx9test::TextOf(dialog), "No. 1");
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(dialog, IDCANCEL)), "EXIT");
    lx9test::Click(dialog, IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));
    ASSERT_TRUE(WaitReady(20000));
    lx9test::Pump(4000);
    EXPECT_EQ(lx9::transferImage, nullptr) << "a stopped frame is never offered";
    EXPECT_EQ(lx9::progressDialog, nullptr);
    EXPECT_EQ(lx9::stopRequested, 0);
    const auto lines = log.Since();
    EXPECT_LT(Count(lines, "0428"), 28) << "reading ended at EXIT";
}

TEST_F(FinalNegative, TurnedImageOffered) {
    lx9::rotate180 = 1;
    lx9test::ClickCell(window, Button(4), false);
    lx9test::ChooseMode(window, lx9::kScanStandard);
    lx9test::Click(window, kScan);
    const auto images = TakeUntilReady();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 896);
    EXPECT_EQ(images[0].height, 512);
    EXPECT_TRUE(images[0].markerBottomRight) << "turned by 180 degrees";
    EXPECT_EQ(images[0].numberTurned, 4) << "its number bottom left, upside down";
    EXPECT_EQ(images[0].patchesWrongTurned, "");
    EXPECT_FALSE(images[0].markerTopLeft);
}

// lx9emu --fast --standby on --cartridge 25 --film positive
class FinalPositive : public FinalScanTest {
  protected:
    void SetUp() override {
        lx9::filmType = lx9::kFilmPositive;
        FinalScanTest::SetUp();
    }
    void TearDown() override {
        FinalScanTest::TearDown();
        lx9::filmType = lx9::kFilmNegative;
    }
};

TEST_F(FinalPositive, ThreeFramesWithoutMeasurement) {
    ThreeFramesAsGolden("tests/ds/golden/final_standard_positive.txt",
                        "Standard final scan of frames 1, 2 and 3, positive film");
}

}  // namespace

namespace {

// lx9emu --fast --standby on --cartridge 25 --film negative; faults added through the control channel once
// the index images are there, so that they meet the final scan's reads.
class FinalFault : public FinalScanTest {};

TEST_F(FinalFault, ABadChecksumInTheReadsIsRetriedAndTheImageIsWhole) {
    ASSERT_TRUE(lx9test::ControlAvailable());
    ASSERT_EQ(lx9test::Control("fault checksum code read after 10").back(), "ok");
    lx9test::ClickCell(window, Button(5), false);
    lx9test::ChooseMode(window, lx9::kScanStandard);
    lx9test::Click(window, kScan);
    const auto images = TakeUntilReady();
    ASSERT_EQ(lx9::mainDialog, window) << "recovered without a message";
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 896);
    EXPECT_TRUE(images[0].markerTopLeft);
    EXPECT_TRUE(images[0].redLeftOfWhite);
}

TEST_F(FinalFault, ASilentScannerInTheReadsEndsInTheMessageAndNoImage) {
    ASSERT_TRUE(lx9test::ControlAvailable());
    lx9test::Boxes boxes;
    lx9test::FakeManager manager;
    ASSERT_EQ(lx9test::Control("fault silence code read after 10 always").back(), "ok");
    lx9test::ClickCell(window, Button(6), false);
    lx9test::ChooseMode(window, lx9::kScanStandard);
    const DWORD start = GetTickCount();
    lx9test::Click(window, kScan);
    ASSERT_TRUE(lx9test::PumpUntil([this] { return lx9::mainDialog != window; }, 60000));
    EXPECT_LT(GetTickCount() - start, 30000u) << "no hang past the fault";
    lx9test::Control("faults clear");
    EXPECT_EQ(lx9::transferImage, nullptr) << "a partial image is never offered";
    EXPECT_EQ(lx9::progressDialog, nullptr) << "the progress dialog went with the scan";
    ASSERT_FALSE(boxes.Seen().empty()) << "the user is told";
    ASSERT_TRUE(manager.Loaded());
    EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ) << "the close request reaches the application";
    EXPECT_TRUE(lx9test::HeapValid());
}

}  // namespace

namespace {

TEST_F(FinalNegative, ProgressDialogInEachLanguageAndTheFirstZeroAfterExit) {
    const char* titles[3] = {"No. 7", "Num\xc3\xa9ro. 7", "Nr. 7"};
    const char* exits[3] = {"EXIT", "QUITTER", "Ende"};
    const char* texts[3] = {"Scanning Now...", "En cours de num\xc3\xa9risation", "Beim Abtasten"};
    lx9::currentFrame = 7;
    for (int language = 0; language < 3; ++language) {
        lx9::language = static_cast<uint8_t>(language);
        EXPECT_EQ(lx9::ShowScanProgress(GetModuleHandleA(nullptr), window, 0, 100), 1);
        HWND dialog = lx9::progressDialog;
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(lx9test::TextOf(dialog), titles[language]);
        EXPECT_EQ(lx9test::TextOf(GetDlgItem(dialog, IDCANCEL)), exits[language]);
        EXPECT_EQ(lx9test::TextOf(GetDlgItem(dialog, 1006)), texts[language]);
        EXPECT_EQ(lx9::ShowScanProgress(GetModuleHandleA(nullptr), window, 50, 100), 1);
        EXPECT_EQ(lx9::progressDialog, dialog) << "updated, not made anew";
        lx9test::Pump(50);
        lx9test::Click(dialog, IDCANCEL);
        EXPECT_FALSE(IsWindow(dialog));
        // The handle of the destroyed dialog is never used again; the first call after EXIT answers 0.
        EXPECT_EQ(lx9::ShowScanProgress(GetModuleHandleA(nullptr), window, 60, 100), 0);
        EXPECT_EQ(lx9::progressDialog, nullptr);
        EXPECT_EQ(lx9::ShowScanProgress(GetModuleHandleA(nullptr), window, 0, 0), 1);
        EXPECT_EQ(lx9::progressDialog, nullptr) << "closing makes no dialog";
    }
    lx9::language = 0;
    lx9::currentFrame = 0;
}

TEST_F(FinalNegative, StopBetweenFramesKeepsTheOfferedImageAndEnds) {
    SelectFrames123AndScan();
    ASSERT_TRUE(lx9test::PumpUntil([] { return lx9::transferImage != nullptr; }, 60000));
    HGLOBAL first = lx9::transferImage;
    lx9::stopRequested = 1;  // STOP as the window's button sets it
    if (lx9test::Enabled(window, 1003)) lx9test::Click(window, 1003);
    lx9test::Pump(3500);  // the pause ends and the step sees the request
    ASSERT_TRUE(WaitReady(10000));
    EXPECT_EQ(lx9::transferImage, first) << "the image offered before STOP stays the application's";
    EXPECT_EQ(lx9::finalImage.data, nullptr) << "discarded at STOP";
    EXPECT_EQ(lx9::stopRequested, 0);
    EXPECT_EQ(Count(log.Since(), "0428"), 29) << "only frame 1 was read";
}

}  // namespace
