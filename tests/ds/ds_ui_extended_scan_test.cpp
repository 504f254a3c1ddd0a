// The extended scan against lx9emu on LPT1, operated as a person does: SCAN in extended mode, the preview
// loading in the crop window, a rectangle dragged over it, SCAN there, and the application taking the image.
// Each suite runs against its own emulator, started with the options named above it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "chain/chain_state.h"
#include "device/device_state.h"
#include "ds_device_emulator.h"
#include "ds_ui_main_support.h"
#include "ds_ui_scan_support.h"
#include "ds_ui_user_actions.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/final_scan.h"

namespace {

using lx9test::CellButton;
using lx9test::Count;
using lx9test::TakenImage;
using lx9test::Transcript;

constexpr int kCropScan = 1002, kCropExit = 1161, kWidthValue = 1159, kHeightValue = 1160;

bool PreviewShown() {
    return lx9::cropWindow != nullptr && IsWindowEnabled(GetDlgItem(lx9::cropWindow, kCropScan));
}

// The left button pressed at one point, the mouse moved in a few steps and released at another, in the
// crop window's client coordinates, as the mouse delivers it.
void Drag(HWND crop, POINT from, POINT to) {
    PostMessageA(crop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    for (int step = 1; step <= 4; ++step) {
        const LONG x = from.x + (to.x - from.x) * step / 4;
        const LONG y = from.y + (to.y - from.y) * step / 4;
        PostMessageA(crop, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    PostMessageA(crop, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

struct CropSeen {
    std::string title, width, height;
    HWND window = nullptr;
};

class ExtendedScanTest : public lx9test::ScanTest {
  protected:
    void SelectForExtended(int cell) {
        lx9test::ClickCell(window, CellButton(cell), false);
        lx9test::ChooseMode(window, lx9::kScanExtended);
        lx9::sourceState = lx9::kState5Enabled;
        log.Mark();
    }
    void TurnPictures() {
        lx9test::Click(window, kUpDown);
        ASSERT_EQ(lx9::rotate180, 1);
    }
    // The person waits for the preview, drags the rectangle, reads the width and height and presses SCAN;
    // SCAN in the main window returns when the crop window has ended.
    CropSeen DragAndScan(POINT from, POINT to) {
        CropSeen seen;
        lx9test::UserActions user;
        user.Then("the preview is shown", PreviewShown, 60000)
            .Then("drag the rectangle",
                  [&] {
                      seen.window = lx9::cropWindow;
                      seen.title = lx9test::TextOf(seen.window);
                      Drag(seen.window, from, to);
                      return true;
                  })
            .Then("read the values and press SCAN", [&] {
                seen.width = lx9test::TextOf(GetDlgItem(seen.window, kWidthValue));
                seen.height = lx9test::TextOf(GetDlgItem(seen.window, kHeightValue));
                PostMessageA(GetDlgItem(seen.window, kCropScan), BM_CLICK, 0, 0);
                return true;
            });
        lx9test::Click(window, kScan);
        EXPECT_TRUE(user.AllDone()) << (user.Failures().empty() ? "" : user.Failures()[0]);
        return seen;
    }
    void ExpectCropRect(LONG left, LONG top, LONG right, LONG bottom) {
        EXPECT_EQ(lx9::cropRect.left, left);
        EXPECT_EQ(lx9::cropRect.top, top);
        EXPECT_EQ(lx9::cropRect.right, right);
        EXPECT_EQ(lx9::cropRect.bottom, bottom);
    }
    // The one image of the scan, with the window ready again and the preview buffers gone.
    TakenImage TheImage() {
        auto images = TakeUntilReady();
        EXPECT_EQ(lx9::mainDialog, window) << "no error was reported";
        EXPECT_EQ(images.size(), 1u);
        EXPECT_EQ(lx9::previewRaw, nullptr);
        EXPECT_EQ(lx9::previewFull, nullptr);
        EXPECT_EQ(lx9::previewDisplay.pixels, nullptr);
        EXPECT_EQ(lx9::cropWindow, nullptr);
        EXPECT_EQ(lx9::busy, 0);
        return images.empty() ? TakenImage{} : images[0];
    }
    void ExpectGolden(const std::string& golden, const std::string& title) {
        const std::string diff = lx9test::CompareGolden(golden, Transcript(log.Since(), title));
        EXPECT_TRUE(diff.empty()) << diff;
    }
};

// lx9emu --fast --standby on --cartridge 25 --film negative --buffer-size 4194304: a buffer that allows the
// whole preview as the rectangle.
class ExtendedWhole : public ExtendedScanTest {};

TEST_F(ExtendedWhole, TheWholeFrameDraggedPastTheEdgesIsScannedAtFullSize) {
    SelectForExtended(2);
    const CropSeen seen = DragAndScan({0, 0}, {470, 300});
    EXPECT_EQ(seen.title, "No. 2") << "the title names the frame once the preview is shown";
    EXPECT_EQ(seen.width, "1792");
    EXPECT_EQ(seen.height, "1024");
    ExpectCropRect(4, 0, 1796, 1024);
    const TakenImage image = TheImage();
    EXPECT_EQ(image.width, 1792);
    EXPECT_EQ(image.height, 1024);
    // The scene's blocks are 16 pixels here.
    EXPECT_TRUE(image.YellowAt(136, 136)) << "the marker top left: the picture the right way up";
    EXPECT_TRUE(image.DominantAt(168, 872, 2)) << "the red patch at the left of the patch row";
    EXPECT_TRUE(image.DominantAt(392, 872, 1)) << "then the green one";
    EXPECT_EQ(image.FrameNumber(16), 2);
    EXPECT_EQ(image.PatchesWrong(16), "");
    const auto lines = log.Since();
    EXPECT_EQ(Count(lines, "0424"), 4) << "measurement and window before the preview and before the scan";
    ExpectGolden("tests/ds/golden/extended_whole_negative.txt",
                 "Extended scan of frame 2, the whole frame, negative film");
}

TEST_F(ExtendedWhole, TurnedTheWholeFrameIsOfferedTurned) {
    TurnPictures();
    SelectForExtended(3);
    const CropSeen seen = DragAndScan({447, 255}, {-20, -20});
    EXPECT_EQ(seen.width, "1792");
    EXPECT_EQ(seen.height, "1024");
    ExpectCropRect(0, 4, 1788, 1024);
    const TakenImage image = TheImage();
    // The turned grid leaves out four lines and four samples of the frame's edge.
    EXPECT_EQ(image.width, 1788);
    EXPECT_EQ(image.height, 1020);
    EXPECT_TRUE(image.YellowAt(1787 - 136, 1019 - 136)) << "the marker bottom right: turned as the preview";
    EXPECT_FALSE(image.YellowAt(136, 136));
    EXPECT_EQ(image.FrameNumber(16, true), 3);
    EXPECT_EQ(image.PatchesWrong(16, true), "");
}

// lx9emu --fast --standby on --cartridge 25 --film negative --buffer-size 131072: an area limit of 4096
// square preview pixels.
class ExtendedLimited : public ExtendedScanTest {};

TEST_F(ExtendedLimited, TheRectangleIsHeldToTheAreaLimitAndShowsWhatThePreviewShowed) {
    SelectForExtended(4);
    // From the red patch's top left corner across the green and blue ones: 160 x 48 preview pixels, pulled
    // back along the diagonal to 116 x 35.
    const CropSeen seen = DragAndScan({16, 192}, {176, 240});
    EXPECT_EQ(seen.width, "468");
    EXPECT_EQ(seen.height, "144");
    ExpectCropRect(1264, 768, 1732, 912);
    const TakenImage image = TheImage();
    EXPECT_EQ(image.width, 468);
    EXPECT_EQ(image.height, 144);
    EXPECT_TRUE(image.DominantAt(96, 72, 2)) << "red at the left, where the rectangle began";
    EXPECT_TRUE(image.DominantAt(320, 72, 1)) << "green to its right";
    ExpectGolden("tests/ds/golden/extended_limited_negative.txt",
                 "Extended scan of frame 4, a rectangle held to the area limit, negative film");
}

TEST_F(ExtendedLimited, TurnedTheRectangleShowsWhatTheTurnedPreviewShowed) {
    TurnPictures();
    SelectForExtended(4);
    // The turned preview shows the patch row upside down at its top right: dragged from its bottom right.
    const CropSeen seen = DragAndScan({432, 64}, {272, 16});
    EXPECT_EQ(seen.width, "468");
    EXPECT_EQ(seen.height, "144");
    ExpectCropRect(1264, 768, 1728, 908);
    const TakenImage image = TheImage();
    EXPECT_EQ(image.width, 464);
    EXPECT_EQ(image.height, 140);
    EXPECT_TRUE(image.DominantAt(368, 70, 2)) << "red at the right, as in the turned preview";
    EXPECT_TRUE(image.DominantAt(144, 70, 1)) << "green to its left";
}

TEST_F(ExtendedLimited, AClickWithoutMovingWarnsAndTheWindowStays) {
    SelectForExtended(5);
    lx9test::Boxes boxes;
    bool stillThere = false;
    lx9test::UserActions user;
    user.Then("the preview is shown", PreviewShown, 60000)
        .Then("click without moving",
              [] {
                  Drag(lx9::cropWindow, {100, 100}, {100, 100});
                  PostMessageA(GetDlgItem(lx9::cropWindow, kCropScan), BM_CLICK, 0, 0);
                  return true;
              })
        .Then("the warning has come and gone", [&] { return !boxes.Seen().empty(); })
        .Then("EXIT", [&] {
            stillThere = IsWindowVisible(lx9::cropWindow) != 0;
            PostMessageA(GetDlgItem(lx9::cropWindow, kCropExit), BM_CLICK, 0, 0);
            return true;
        });
    lx9test::Click(window, kScan);
    EXPECT_TRUE(user.AllDone());
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Scan range is not determined.");
    EXPECT_EQ(boxes.Seen()[0].caption, "Error");
    EXPECT_EQ(boxes.Seen()[0].icon, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_TRUE(stillThere) << "the window stays after the warning";
    ASSERT_TRUE(WaitReady(5000));
    lx9test::Pump(500);
    EXPECT_EQ(lx9::transferImage, nullptr);
    EXPECT_EQ(Count(log.Since(), "0424"), 2) << "nothing scanned after the preview";
}

TEST_F(ExtendedLimited, ExitWhileLoadingEndsAtTheNextTickAndNothingIsScanned) {
    SelectForExtended(6);
    const int blocksBefore = lx9test::HeapBlocksBetween(917504, 917504);
    DWORD pressed = 0, ended = 0;
    lx9test::UserActions user;
    user.Then(
            "the preview is loading", [] { return lx9::cropWindow != nullptr && lx9::previewRaw != nullptr; },
            60000)
        .Then("EXIT", [&] {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(lx9::cropWindow, kCropScan)));
            PostMessageA(GetDlgItem(lx9::cropWindow, kCropExit), BM_CLICK, 0, 0);
            pressed = GetTickCount();
            return true;
        });
    lx9test::Click(window, kScan);
    ended = GetTickCount();
    EXPECT_TRUE(user.AllDone());
    EXPECT_LT(ended - pressed, 1000u) << "ended at the next tick, not after the preview";
    ASSERT_TRUE(WaitReady(5000));
    EXPECT_EQ(lx9::busy, 0);
    EXPECT_EQ(lx9::cropWindow, nullptr);
    EXPECT_EQ(lx9::previewRaw, nullptr);
    EXPECT_EQ(lx9test::HeapBlocksBetween(917504, 917504), blocksBefore) << "the raw preview block is freed";
    lx9test::Pump(1000);
    EXPECT_EQ(lx9::transferImage, nullptr);
    const auto lines = log.Since();
    EXPECT_LT(Count(lines, "0428"), 28 + 1) << "the preview's reads stopped";
    EXPECT_EQ(Count(lines, "0424"), 2) << "no final scan";
}

}  // namespace
