// The main window against lx9emu on LPT1, operated through the messages a person's input produces and read
// back from the windows: its controls in each language, the index scans (their command streams kept as
// golden transcripts under tests/ds/golden), selection, pages, warnings, STOP, eject, UP_DOWN, the popup
// menu, and what a step does when the scanner restarts or the cartridge changes. Each suite runs against its
// own emulator, started with the options named above it (ui_tests.cmake).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "chain/chain_state.h"
#include "chain/transform_image.h"
#include "device/preparation_state.h"
#include "device/device_state.h"
#include "device/messages.h"
#include "ds_device_emulator.h"
#include "ds_device_support.h"
#include "ds_ui_main_support.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/main_layout.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/eject.h"
#include "ui/workflows/workflow_state.h"

namespace {

using lx9test::Box;
using lx9test::Boxes;

constexpr int kAll = 1000, kSelect = 1001, kScan = 1002, kStop = 1003, kEject = 1147, kUpDown = 1170;
constexpr int kExit = 1165, kScroll = 1132;

int Button(int cell) {
    return lx9::cellControls[cell - 1].button;
}
int FrameStatic(int cell) {
    return lx9::cellControls[cell - 1].frame;
}
int Label(int cell) {
    return lx9::cellControls[cell - 1].label;
}

std::vector<int> Selection() {
    std::vector<int> frames;
    for (int i = 0; i < 40 && lx9::selectedFrames[i] != 0; ++i) frames.push_back(lx9::selectedFrames[i]);
    return frames;
}

bool HasImage(int frame) {
    return lx9::HasIndexPixels(lx9::indexImages[frame]);
}

std::vector<int> FramesWithImages() {
    std::vector<int> frames;
    for (int f = 1; f <= 40; ++f) {
        if (HasImage(f)) frames.push_back(f);
    }
    return frames;
}

// The command log since the mark, as a transcript: commands, payloads, statuses and reply sizes.
std::string Transcript(const std::vector<lx9test::LogLine>& lines, const std::string& title) {
    std::string text =
        "# " + title + "\n# lx9emu's command log (code, payload, status, reply bytes), times left out.\n";
    for (const auto& line : lines) {
        // A comment (not compared) names the frame and the exposures of each scan window.
        if (line.code == "0424" && line.payload.size() >= 92) {
            const int frame = std::stoi(line.payload.substr(88, 2), nullptr, 16);
            const int count = std::stoi(line.payload.substr(90, 2), nullptr, 16);
            text += "# scan window: frame " + std::to_string(frame) + ", " + std::to_string(count) +
                    " exposure" + (count == 1 ? "" : "s") + "\n";
        }
        text += line.text.substr(4) + "\n";
    }
    return text;
}

// A person who presses a button in the next dialog of the given caption as soon as it comes up: a thread
// timer, which the dialog's own modal loop dispatches.
bool pressedInDialog = false;
const char* pressCaption = nullptr;
int pressButton = 0;

void CALLBACK PressWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", pressCaption);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    pressedInDialog = true;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(pressButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, pressButton)));
}

void PressInDialogWhenShown(const char* caption, int button) {
    pressedInDialog = false;
    pressCaption = caption;
    pressButton = button;
    SetTimer(nullptr, 0, 20, PressWhenShown);
}

class MainWindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        lx9::OnModuleAttach(GetModuleHandleA(nullptr));
        lx9::SetManagerLibraryName("no_such_manager.dll");
        application = CreateWindowExA(0, "STATIC", "application", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        lx9::parentWindow = application;
        Prepare();
    }
    static void TearDownTestSuite() {
        if (lx9::mainDialog) DestroyWindow(lx9::mainDialog);
        DestroyWindow(application);
        LPT1_Close();
        lx9::SetManagerLibraryName(nullptr);
    }
    // Device state as start-up leaves it, for negative film.
    static void Prepare() {
        lx9::filmType = lx9::kFilmNegative;
        lx9::ClearErrorFlags();  // as the preparing dialog does when it opens
        lx9::language = 0;
        lx9::LoadMessages();
        lx9test::PrepareScanner();
        lx9::startScannerWord = lx9::scannerWord;
        lx9::startCartridgeWord = lx9::cartridgeWord;
    }
    void SetUp() override {
        ASSERT_TRUE(log.Available()) << "LX9_EMU_LOG names the emulator's command log";
        ASSERT_EQ(LPT1_Open(), 1);  // a destroyed main window closes the port
    }
    void TearDown() override {
        if (lx9::mainDialog) DestroyWindow(lx9::mainDialog);
        lx9::language = 0;
        lx9::LoadMessages();
    }

    HWND Open(int language) {
        lx9::language = static_cast<uint8_t>(language);
        lx9::LoadMessages();
        LPT1_Open();
        HWND window = lx9::CreateMainWindow(application);
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(lx9::mainDialog, window);
        lx9test::Pump(50);
        return window;
    }
    static bool Ready(HWND window) {
        return !lx9test::Enabled(window, kStop) && lx9test::Enabled(window, kAll);
    }
    static bool WaitReady(HWND window, unsigned timeoutMs = 60000) {
        return lx9test::PumpUntil([window] { return lx9::mainDialog != window || Ready(window); },
                                  timeoutMs) &&
               lx9::mainDialog == window;
    }
    // Index-all through the ALL button, to the end.
    void IndexAll(HWND window) {
        lx9test::Click(window, kAll);
        ASSERT_TRUE(WaitReady(window)) << "index-all ended";
    }

    static HWND application;
    lx9test::EmulatorLog log;
};
HWND MainWindowTest::application = nullptr;

const char* const kLanguageNames[3] = {"english", "french", "german"};

// lx9emu --fast --standby on --cartridge 40
class Layout : public MainWindowTest {};

TEST_F(Layout, EachLanguageReadyBusyAndSecondPageAsGolden) {
    for (int language = 0; language < 3; ++language) {
        SCOPED_TRACE(kLanguageNames[language]);
        HWND window = Open(language);
        std::string text = "# The main window in " + std::string(kLanguageNames[language]) +
                           " with a 40-frame cartridge: id, class, left, top, width, height (client area),\n"
                           "# shown, enabled, text (mode list: entries and selection; scroll bar: range and "
                           "position).\n== ready, first page ==\n" +
                           lx9test::DescribeControls(window);
        log.Mark();
        lx9test::Click(window, kAll);  // a 40-frame cartridge: the second page first
        text += "== busy (index scan of all frames) ==\n" + lx9test::DescribeControls(window);
        lx9test::Click(window, kStop);
        ASSERT_TRUE(WaitReady(window));
        text += "== ready, second page (after STOP) ==\n" + lx9test::DescribeControls(window);
        const std::string diff = lx9test::CompareGolden(
            "tests/ds/golden/main_window_" + std::string(kLanguageNames[language]) + ".txt", text);
        EXPECT_TRUE(diff.empty()) << diff;

        // STOP before the first step: the status request of the start and nothing else went out.
        const auto lines = log.Since();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].code, "0200");
        EXPECT_TRUE(FramesWithImages().empty());
        EXPECT_EQ(lx9::stopRequested, 0) << "the workflow took the request";
        DestroyWindow(window);
        EXPECT_EQ(lx9::mainDialog, nullptr);
    }
}

TEST_F(Layout, SecondPageRelabelsAndHidesAndTheScrollBarSwitchesBack) {
    HWND window = Open(0);
    EXPECT_TRUE(lx9test::Visible(window, kScroll));
    lx9test::Scroll(window, SB_LINEDOWN);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 1);
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.26");
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(15))), "No.40");
    for (int cell = 16; cell <= 25; ++cell) {
        EXPECT_FALSE(lx9test::Visible(window, Button(cell))) << cell;
        EXPECT_FALSE(lx9test::Visible(window, FrameStatic(cell))) << cell;
        EXPECT_FALSE(lx9test::Visible(window, Label(cell))) << cell;
    }
    lx9test::ClickCell(window, Button(2), false);
    EXPECT_EQ(Selection(), (std::vector<int>{27})) << "a cell of the second page is frame n + 25";
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(2)), 1);

    lx9test::Scroll(window, SB_THUMBPOSITION, 0);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 0);
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.1");
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(15))), "No.15");
    lx9test::Pump(100);
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(2)), 0) << "cell 2 shows frame 2 now, not selected";
    EXPECT_TRUE(lx9test::Visible(window, Button(25)));
    EXPECT_TRUE(lx9test::Visible(window, Label(25)));
    lx9test::Scroll(window, SB_THUMBTRACK, 1);  // dragging moves the thumb, not the page
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.1");
    lx9test::Scroll(window, SB_PAGEDOWN);
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.26");
    lx9test::Pump(100);  // as the screen shows it once painted
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(2)), 1) << "frame 27 again";
    lx9test::Scroll(window, SB_ENDSCROLL);  // code 8: nothing
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 1);
    lx9test::Scroll(window, SB_LINEUP);
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.1");
}

// lx9emu --fast --standby on --cartridge 15
class IndexAll15 : public MainWindowTest {};

TEST_F(IndexAll15, ThreeGroupsFromTheTopAndNoPages) {
    HWND window = Open(0);
    for (int cell = 16; cell <= 25; ++cell) EXPECT_FALSE(lx9test::Visible(window, Button(cell))) << cell;
    EXPECT_TRUE(lx9test::Visible(window, Button(15)));
    EXPECT_FALSE(lx9test::Visible(window, kScroll));
    log.Mark();
    IndexAll(window);
    const std::string diff = lx9test::CompareGolden(
        "tests/ds/golden/index_all_15.txt", Transcript(log.Since(), "Index scan of all frames, 15 frames"));
    EXPECT_TRUE(diff.empty()) << diff;
    std::vector<int> all;
    for (int f = 1; f <= 15; ++f) all.push_back(f);
    EXPECT_EQ(FramesWithImages(), all);
    EXPECT_EQ(lx9::transferImage, nullptr) << "no index sheet unless SCAN asked for it";
}

// lx9emu --fast --standby on --cartridge 25
class IndexAll25 : public MainWindowTest {};

TEST_F(IndexAll25, FiveGroupsAsGolden) {
    HWND window = Open(0);
    log.Mark();
    IndexAll(window);
    const std::string diff = lx9test::CompareGolden(
        "tests/ds/golden/index_all_25.txt", Transcript(log.Since(), "Index scan of all frames, 25 frames"));
    EXPECT_TRUE(diff.empty()) << diff;
    EXPECT_EQ(FramesWithImages().size(), 25u);
}

TEST_F(IndexAll25, IndexModeOffersTheSheetToTheApplication) {
    lx9test::FakeManager manager;
    ASSERT_TRUE(manager.Loaded());
    lx9::sourceState = lx9::kState5Enabled;
    HWND window = Open(0);
    lx9test::ChooseMode(window, lx9::kScanIndexSheet);
    lx9test::Click(window, kScan);
    ASSERT_TRUE(WaitReady(window));
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_EQ(manager.LastMessage(), MSG_XFERREADY);
    EXPECT_EQ(lx9::sourceState, lx9::kState6TransferReady);
    ASSERT_NE(lx9::transferImage, nullptr);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(lx9::transferImage));
    EXPECT_EQ(header->biWidth, 644);
    EXPECT_EQ(header->biHeight, 404);
    EXPECT_EQ(header->biBitCount, 24);
    GlobalUnlock(lx9::transferImage);
    EXPECT_EQ(lx9::indexSheetRequested, 0);

    // Every frame has its image now: SCAN in index mode goes straight to the sheet.
    lx9::FreeTransferImage();
    log.Mark();
    lx9test::Click(window, kScan);
    ASSERT_TRUE(WaitReady(window));
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_NE(lx9::transferImage, nullptr);
    const auto lines = log.Since();
    ASSERT_EQ(lines.size(), 1u) << "only the start's status request";
    lx9::FreeTransferImage();
    lx9::sourceState = lx9::kState4Open;
}

// lx9emu --fast --standby on --cartridge 40
class IndexAll40 : public MainWindowTest {};

TEST_F(IndexAll40, EightGroupsStartingOnTheSecondPage) {
    HWND window = Open(0);
    log.Mark();
    lx9test::Click(window, kAll);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 1) << "the second page before the scan";
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.26");
    ASSERT_TRUE(WaitReady(window));
    const std::string diff = lx9test::CompareGolden(
        "tests/ds/golden/index_all_40.txt", Transcript(log.Since(), "Index scan of all frames, 40 frames"));
    EXPECT_TRUE(diff.empty()) << diff;
    EXPECT_EQ(FramesWithImages().size(), 40u);
    EXPECT_EQ(lx9test::TextOf(GetDlgItem(window, Label(1))), "No.1")
        << "back on the first page at group 21-25";
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 0);
}

TEST_F(IndexAll40, SelectedFramesSortedEachOnItsPage) {
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(3), false);  // frame 3
    lx9test::Scroll(window, SB_LINEDOWN);
    lx9test::ClickCell(window, Button(5), true);  // frame 30
    lx9test::ClickCell(window, Button(2), true);  // frame 27
    EXPECT_EQ(Selection(), (std::vector<int>{3, 30, 27}));
    log.Mark();
    lx9test::Click(window, kSelect);
    EXPECT_EQ(Selection(), (std::vector<int>{3, 27, 30})) << "sorted before scanning";
    std::vector<std::string> pages{lx9test::TextOf(GetDlgItem(window, Label(1)))};
    ASSERT_TRUE(lx9test::PumpUntil(
        [&] {
            const std::string label = lx9test::TextOf(GetDlgItem(window, Label(1)));
            if (label != pages.back()) pages.push_back(label);
            return Ready(window);
        },
        30000));
    EXPECT_EQ(pages, (std::vector<std::string>{"No.26", "No.1", "No.26"})) << "frame 3's page, then 27's";
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kScroll), SB_CTL), 1);
    EXPECT_EQ(FramesWithImages(), (std::vector<int>{3, 27, 30}));
    const std::string diff = lx9test::CompareGolden(
        "tests/ds/golden/index_selected_40.txt",
        Transcript(log.Since(),
                   "Index scan of the selected frames 30, 27 and 3 of 40 (clicked in that order)"));
    EXPECT_TRUE(diff.empty()) << diff;
}

// lx9emu --fast --standby on --cartridge 25
class Behaviour : public MainWindowTest {};

struct Warnings {
    const char8_t* noFrame;
    const char8_t* previewFirst;
    const char8_t* oneFrame;
    const char8_t* caption;
};
// The texts as the boxes show them, in UTF-8 (plain literals here are in the Windows code page).
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}
const Warnings kWarnings[3] = {
    {u8"Frame is not selected.", u8"Please Scan after preview.", u8"It's impossible to select more than one.",
     u8"Error"},
    {u8"Image non sélectionnée.", u8"Commencer la numérisation après avoir visualisé.",
     u8"Sélection multiple impossible.", u8"Erreur"},
    {u8"Kein Bild gewählt.", u8"Nach der Vorschau abtasten.", u8"Es ist nicht möglich, mehr als 1 zu wählen.",
     u8"Fefler"},
};

TEST_F(Behaviour, EachWarningInEachLanguageSendsNothing) {
    for (int language = 0; language < 3; ++language) {
        SCOPED_TRACE(kLanguageNames[language]);
        const Warnings& w = kWarnings[language];
        HWND window = Open(language);
        Boxes boxes;
        log.Mark();
        lx9test::Click(window, kSelect);  // nothing selected
        lx9test::Click(window, kScan);    // standard, nothing selected
        EXPECT_TRUE(log.Since().empty()) << "a warning sends nothing to the scanner";

        // Frame 3 gets its index image.
        lx9test::ClickCell(window, Button(3), false);
        lx9test::Click(window, kSelect);
        ASSERT_TRUE(WaitReady(window));
        ASSERT_TRUE(HasImage(3));

        log.Mark();
        lx9test::ClickCell(window, Button(7), true);
        lx9test::Click(window, kScan);  // standard: frame 7 has no index image
        lx9test::ChooseMode(window, lx9::kScanExtended);
        lx9test::Click(window, kScan);  // extended: two frames, the first indexed
        lx9test::ClickCell(window, Button(7), false);
        lx9test::ClickCell(window, Button(3), true);
        lx9test::Click(window, kScan);  // extended: the first has no image, looked at before the count
        lx9test::Pump(50);

        const std::vector<std::string> expected{U8(w.noFrame), U8(w.noFrame), U8(w.previewFirst),
                                                U8(w.oneFrame), U8(w.previewFirst)};
        ASSERT_EQ(boxes.Seen().size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(boxes.Seen()[i].text, expected[i]) << i;
            EXPECT_EQ(boxes.Seen()[i].caption, U8(w.caption)) << i;
            EXPECT_EQ(boxes.Seen()[i].icon, static_cast<UINT>(MB_ICONWARNING)) << i;
        }
        EXPECT_TRUE(log.Since().empty()) << "a warning sends nothing to the scanner";
        EXPECT_TRUE(Ready(window));
        EXPECT_EQ(lx9::busy, 0);
        DestroyWindow(window);
    }
}

TEST_F(Behaviour, SelectionRulesOfClicksAndSelectAll) {
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(4), false);
    lx9test::ClickCell(window, Button(4), true);
    EXPECT_EQ(Selection(), (std::vector<int>{4})) << "a Ctrl-click on a selected frame changes nothing";
    lx9test::ClickCell(window, Button(8), true);
    lx9test::ClickCell(window, Button(2), true);
    EXPECT_EQ(Selection(), (std::vector<int>{4, 8, 2}));
    lx9test::ClickCell(window, Button(6), false);
    EXPECT_EQ(Selection(), (std::vector<int>{6})) << "a plain click starts a new selection";
    // The red marks, read from the frames' pixels.
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(6)), 1);
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(4)), 0);
    EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(8)), 0);

    std::string item;
    ASSERT_TRUE(lx9test::RightClickAndChooseFirst(window, &item));
    EXPECT_EQ(item, "SelectAll");
    std::vector<int> all;
    for (int f = 1; f <= 25; ++f) all.push_back(f);
    EXPECT_EQ(Selection(), all);
    for (int cell = 1; cell <= 25; ++cell) EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(cell)), 1) << cell;
    lx9test::ClickCell(window, Button(2), true);  // Ctrl in select-all mode: nothing
    EXPECT_EQ(Selection(), all);
    ASSERT_TRUE(lx9test::RightClickAndChooseFirst(window, nullptr));
    EXPECT_EQ(Selection(), all) << "a second select-all has no effect";

    lx9test::ClickCell(window, Button(9), false);
    EXPECT_EQ(Selection(), (std::vector<int>{9})) << "a plain click ends select-all mode";
    for (int cell = 1; cell <= 25; ++cell) {
        EXPECT_EQ(lx9test::MarkOf(window, FrameStatic(cell)), cell == 9 ? 1 : 0) << cell;
    }
    lx9test::ClickCell(window, Button(10), true);
    EXPECT_EQ(Selection(), (std::vector<int>{9, 10}));
}

TEST_F(Behaviour, UpDownTwiceTurnsTheImagesBack) {
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(1), false);
    lx9test::ClickCell(window, Button(2), true);
    lx9test::Click(window, kSelect);
    ASSERT_TRUE(WaitReady(window));
    ASSERT_EQ(FramesWithImages(), (std::vector<int>{1, 2}));
    std::vector<uint8_t> first(lx9::indexImages[1].pixels,
                               lx9::indexImages[1].pixels + lx9::kIndexImageBytes);
    std::vector<uint8_t> turned(first.size());
    lx9::TransformImage(112, 64, first.data(), turned.data(), 180);

    lx9test::Click(window, kUpDown);
    EXPECT_EQ(lx9::rotate180, 1);
    ASSERT_TRUE(HasImage(1));
    EXPECT_EQ(0, std::memcmp(lx9::indexImages[1].pixels, turned.data(), turned.size())) << "turned by 180";
    lx9test::Click(window, kUpDown);
    EXPECT_EQ(lx9::rotate180, 0);
    EXPECT_EQ(0, std::memcmp(lx9::indexImages[1].pixels, first.data(), first.size())) << "and back";
    EXPECT_EQ(FramesWithImages(), (std::vector<int>{1, 2}));
}

TEST_F(Behaviour, NoPopupMenuWhileBusyAndStopEndsTheScan) {
    HWND window = Open(0);
    lx9test::Click(window, kAll);
    ASSERT_FALSE(Ready(window));
    EXPECT_TRUE(lx9test::Enabled(window, kStop));
    EXPECT_FALSE(lx9test::Enabled(window, Button(1)));
    EXPECT_FALSE(lx9test::RightClickAndChooseFirst(window, nullptr)) << "no menu while busy";
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(window, Button(3))), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT)) << "the wait cursor, over the cells too";
    // Let a group or two finish, then stop.
    lx9test::PumpUntil([] { return HasImage(25); }, 20000);
    lx9test::Click(window, kStop);
    ASSERT_TRUE(WaitReady(window, 5000));
    EXPECT_EQ(lx9::busy, 0);
    EXPECT_TRUE(HasImage(25));
    EXPECT_FALSE(HasImage(1)) << "stopped before the last group";
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(window, Button(3))), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(lx9test::RightClickAndChooseFirst(window, nullptr)) << "the menu once ready";
}

TEST_F(Behaviour, AFrameTheScannerIsBusyForIsScannedAtTheNextTick) {
    if (!lx9test::ControlAvailable()) GTEST_SKIP() << "needs the control bridge";
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(12), false);
    lx9test::Click(window, kSelect);
    KillTimer(window, lx9::kStepTimer);  // the test ticks the timer itself from here
    auto tick = [window] { SendMessageA(window, WM_TIMER, lx9::kStepTimer, 0); };
    tick();  // the scan window and SCAN for frame 12
    tick();  // idle: on to the read
    ASSERT_EQ(lx9::workflowStep, 5);
    ASSERT_EQ(lx9test::Control("busy 400").back(), "ok");
    log.Mark();
    tick();  // busy: the read waits
    EXPECT_FALSE(HasImage(12));
    EXPECT_FALSE(Ready(window)) << "the frame is not passed over";
    Sleep(450);
    tick();
    EXPECT_TRUE(HasImage(12));
    EXPECT_TRUE(Ready(window));
    const auto lines = log.Since();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].code, "0200");
    EXPECT_EQ(lines[1].code, "0200");
    EXPECT_EQ(lines[2].code, "0428");
}

TEST_F(Behaviour, AboutAndACancelledPropertyLeaveTheWindowAsItIs) {
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(4), false);
    lx9test::Click(window, kSelect);
    ASSERT_TRUE(WaitReady(window));
    // The person presses OK in About and CANCEL in Property while the window runs their modal loops.
    PressInDialogWhenShown("About", IDOK);
    lx9test::Click(window, 32816);
    EXPECT_TRUE(pressedInDialog) << "About came up";
    PressInDialogWhenShown("PROPERTY", IDCANCEL);
    lx9test::Click(window, 1164);
    EXPECT_TRUE(pressedInDialog) << "Property came up";
    EXPECT_EQ(lx9::mainDialog, window);
    EXPECT_EQ(FramesWithImages(), (std::vector<int>{4}));
    EXPECT_EQ(Selection(), (std::vector<int>{4}));
}

TEST_F(Behaviour, AConfirmedPropertyMakesTheWindowAnew) {
    HWND window = Open(0);
    lx9test::ClickCell(window, Button(4), false);
    lx9test::Click(window, kSelect);
    ASSERT_TRUE(WaitReady(window));
    PressInDialogWhenShown("PROPERTY", IDOK);
    lx9test::Click(window, 1164);
    EXPECT_TRUE(pressedInDialog);
    EXPECT_FALSE(IsWindow(window)) << "the old window is gone";
    ASSERT_NE(lx9::mainDialog, nullptr) << "and a new one stands in its place";
    EXPECT_TRUE(FramesWithImages().empty()) << "the index images are discarded";
    EXPECT_TRUE(Selection().empty());
}

TEST_F(Behaviour, AWindowMadeAnewFindsTheClosedPortAgain) {
    // As after Property: the old window closed the port, the new one does not open it.
    DestroyWindow(Open(0));
    Boxes boxes;
    HWND window = lx9::CreateMainWindow(application);
    ASSERT_NE(window, nullptr);
    IndexAll(window);
    EXPECT_EQ(FramesWithImages().size(), 25u);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(Behaviour, ExitAsksTheApplicationToClose) {
    lx9test::FakeManager manager;
    ASSERT_TRUE(manager.Loaded());
    HWND window = Open(2);
    lx9test::Click(window, kExit);
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ);
    EXPECT_EQ(lx9::mainDialog, window) << "the application disables the source, not the window itself";
}

TEST_F(Behaviour, NothingLeaksOverRepeatedScansAndRemakes) {
    // Index images and work images are 21504-byte movable blocks.
    const int before = lx9test::HeapBlocksBetween(21504, 21504 + 64);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HWND window = Open(round);
        IndexAll(window);
        EXPECT_EQ(lx9test::HeapBlocksBetween(21504, 21504 + 64), before + 50)
            << "25 index and 25 work images";
        lx9test::Click(window, kUpDown);
        lx9test::Click(window, kUpDown);
        EXPECT_EQ(lx9test::HeapBlocksBetween(21504, 21504 + 64), before + 50)
            << "turning replaces, keeps none";
        DestroyWindow(window);
        EXPECT_EQ(lx9test::HeapBlocksBetween(21504, 21504 + 64), before) << "all freed with the window";
        EXPECT_TRUE(lx9test::HeapValid());
    }
}

// Last: it takes the cartridge out.
TEST_F(Behaviour, EjectAsksFirstCancelSendsNothingOkEjects) {
    HWND window = Open(1);
    lx9test::ClickCell(window, Button(5), false);
    Boxes boxes;
    log.Mark();
    boxes.Answer(IDCANCEL);
    lx9test::Click(window, kEject);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Voulez-vous faire ejecter la cassette?");
    EXPECT_EQ(boxes.Seen()[0].caption, "Confirmer.");
    EXPECT_EQ(boxes.Seen()[0].icon, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_TRUE(log.Since().empty()) << "Cancel sends nothing";

    boxes.Answer(IDOK);
    lx9test::Click(window, kEject);
    ASSERT_EQ(boxes.Seen().size(), 2u);
    const auto lines = log.Since();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front().code, "0200");
    EXPECT_EQ(lines.back().code, "0ec1");
    EXPECT_EQ(lines.back().payload, "00020001");
    EXPECT_EQ(lx9::mainDialog, window) << "the window stays";
    EXPECT_EQ(Selection(), (std::vector<int>{5}));
}

// lx9emu --fast --standby on --cartridge 25, with the control bridge
class Restart : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!lx9test::ControlAvailable()) GTEST_SKIP() << "needs tests/ds/ds_ui_control_bridge.sh";
    }
    // The scanner changes under a running index scan; the next step notices it, the window goes and the
    // preparing dialog runs again, which makes a new window when the scanner is ready.
    void ChangeDuringIndexAll(const std::string& command, bool remakes = true) {
        const int blocks = lx9test::HeapBlocksBetween(21504, 21504 + 64);
        HWND window = Open(0);
        log.Mark();
        lx9test::Click(window, kAll);
        ASSERT_FALSE(Ready(window));
        ASSERT_EQ(lx9test::Control(command).back(), "ok");
        // As after the first preparation of the module: the preparing dialog makes the new window itself.
        lx9::firstPreparation = 0;
        if (remakes) {
            const bool remade = lx9test::PumpUntil(
                [window] {
                    return !IsWindow(window) && lx9::mainDialog != nullptr && lx9::mainDialog != window;
                },
                40000);
            EXPECT_TRUE(remade) << "the window went and the preparation made a new one; sent:\n" << Sent();
        } else {
            EXPECT_TRUE(lx9test::PumpUntil([] { return lx9::mainDialog == nullptr; }, 20000));
            EXPECT_FALSE(IsWindow(window));
        }
        EXPECT_EQ(lx9test::HeapBlocksBetween(21504, 21504 + 64), blocks) << "every image freed, once";
        EXPECT_TRUE(lx9test::HeapValid());
    }
    std::string Sent() {
        std::string text;
        for (const auto& line : log.Since()) text += line.text + "\n";
        return text;
    }
    bool SentSince(const std::string& code, const std::string& payloadStart) {
        for (const auto& line : log.Since()) {
            if (line.code == code && line.payload.rfind(payloadStart, 0) == 0) return true;
        }
        return false;
    }
};

// The preparation reads the calibration again (state 112) only after a restart; both read the film
// information again (state 115).
constexpr const char* kCalibrationRead = "8000ffff";
constexpr const char* kFilmInformationRead = "8200ffff";

TEST_F(Restart, AScannerRestartSendsThePreparationBackToTheStart) {
    Boxes boxes;
    lx9::prepState = 116;
    ChangeDuringIndexAll("restart");
    EXPECT_TRUE(SentSince("0428", kCalibrationRead)) << "preparation from the wake-up on";
    EXPECT_TRUE(SentSince("0428", kFilmInformationRead));
    EXPECT_EQ(lx9::prepState, 116);
    EXPECT_TRUE(boxes.Seen().empty()) << "a restart is no error";
    EXPECT_TRUE(FramesWithImages().empty());
    Prepare();
}

TEST_F(Restart, ACartridgeChangeSendsThePreparationBackToTheCartridge) {
    Boxes boxes;
    lx9::prepState = 116;
    ChangeDuringIndexAll("cartridge change 25");
    EXPECT_FALSE(SentSince("0428", kCalibrationRead)) << "the calibration stands";
    EXPECT_TRUE(SentSince("0428", kFilmInformationRead)) << "the new cartridge's film information";
    EXPECT_TRUE(boxes.Seen().empty());
    Prepare();
}

TEST_F(Restart, TheStandbySwitchTurnedOffEndsInTheReport) {
    lx9test::FakeManager manager;
    Boxes boxes;
    ChangeDuringIndexAll("standby off", false);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Standby Switch Off.");
    EXPECT_EQ(boxes.Seen()[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ);
    EXPECT_TRUE(FramesWithImages().empty()) << "the report frees the index images";
    lx9test::Control("standby on");
    Prepare();
    // A report does not leave the steps blocked for the next main window.
    HWND window = Open(0);
    IndexAll(window);
    EXPECT_EQ(FramesWithImages().size(), 25u);
}

TEST_F(Restart, AnEjectWaitingForAScannerThatStaysBusyEndsInTheReport) {
    lx9test::FakeManager manager;
    Boxes boxes;
    lx9::SetEjectPolling(5, 20);
    HWND window = Open(0);
    ASSERT_EQ(lx9test::Control("busy 3000").back(), "ok");
    log.Mark();
    boxes.Answer(IDOK);
    lx9test::Click(window, kEject);
    lx9::SetEjectPolling(0, 0);
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[1].text, "Errorcode Error.");
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ);
    for (const auto& line : log.Since()) EXPECT_EQ(line.code, "0200") << "no eject while busy";
    EXPECT_EQ(log.Since().size(), 5u);
}

}  // namespace

namespace {

// Screenshots for docs/screens (tests/ds/ds_ui_screens.sh runs these under Xvfb with a display driver;
// without LX9_SCREENSHOTS they are skipped). The window is copied from the screen as a person sees it.
class Screens : public MainWindowTest {
  protected:
    void SetUp() override {
        if (!std::getenv("LX9_SCREENSHOTS")) GTEST_SKIP() << "screenshots only under ds_ui_screens.sh";
        MainWindowTest::SetUp();
    }
    static void Capture(HWND window, const std::string& name) {
        SetForegroundWindow(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        lx9test::Pump(800);
        RECT r{};
        GetWindowRect(window, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        std::vector<uint8_t> pixels(static_cast<size_t>((width * 3 + 3) & ~3) * height);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        SelectObject(memory, old);
        GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                  DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        // WriteBmp takes packed rows.
        std::vector<uint8_t> packed;
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = pixels.data() + static_cast<size_t>((width * 3 + 3) & ~3) * y;
            packed.insert(packed.end(), row, row + width * 3);
        }
        const std::string dir = lx9test::ArtifactDir() + "\\screens";
        CreateDirectoryA(dir.c_str(), nullptr);
        EXPECT_TRUE(lx9test::WriteBmp(dir + "\\" + name + ".bmp", header, packed.data()));
    }
    void IndexedInLanguage(int language, const std::string& name) {
        HWND window = Open(language);
        IndexAll(window);
        Capture(window, name);
    }
};

// lx9emu --fast --standby on --cartridge 25 --film negative
TEST_F(Screens, MainWindowEnglish) {
    IndexedInLanguage(0, "main-window-english-25");
}
TEST_F(Screens, MainWindowFrench) {
    IndexedInLanguage(1, "main-window-french-25");
}
TEST_F(Screens, MainWindowGerman) {
    IndexedInLanguage(2, "main-window-german-25");
}

// lx9emu --fast --standby on --cartridge 40 --film negative
TEST_F(Screens, SecondPageWithASelection) {
    HWND window = Open(0);
    IndexAll(window);
    lx9test::Scroll(window, SB_LINEDOWN);
    lx9test::ClickCell(window, Button(2), false);  // frames 27, 29 and 33
    lx9test::ClickCell(window, Button(4), true);
    lx9test::ClickCell(window, Button(8), true);
    Capture(window, "main-window-second-page-40");
}

}  // namespace
