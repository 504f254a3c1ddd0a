// Enabling the source with its real windows against lx9emu: the splash, the device-preparing dialog read
// back in each language, the start-up transcripts, the language choice, EXIT and the title bar's close
// button, a fault at each start-up state, the bounded waits, and repeated enable/disable cycles.
// Each suite runs against its own emulator (options in ui_tests.cmake).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "device/device_state.h"
#include "device/preparation_state.h"
#include "ds_twain_support.h"
#include "ds_ui_startup_support.h"
#include "lx9pict.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/preparing_dialog.h"
#include "ui/res/startup_ids.h"
#include "ui/source_windows.h"

using namespace lx9test;

namespace {

constexpr const char* kTitle = "LX-9 TWAIN";

struct LanguageTexts {
    const char* setting;
    const char* insert;
    const char* preparing;
    const char* exitButton;
    const char* caption;
};
// Windows-1252 bytes, as the ANSI functions hand them back.
const LanguageTexts kEnglish{"enu", "Insert Cartridge.", "Device is preparing...", "EXIT", "Error"};
const LanguageTexts kFrench{"fra", "Ins\351rer la cassette.", "LX-9 En pr\351paration.", "QUITTER", "Erreur"};
const LanguageTexts kGerman{"deu", "Filmpatrone einlegen.", "Ger\344t arbeitet.", "Ende", "Fefler"};

std::string FilmSettingFile() {
    return WindowsDirectory() + "\\twain_32\\NorvikLX9\\LX9Cfg.ini";
}

// The module as loaded, with its real windows and a short splash and tick (the device's own times stay).
class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        lx9::SetManagerLibraryName(nullptr);  // the recording manager, loaded by the fixture
        lx9::UseSourceWindows();
        lx9::SetSplashMilliseconds(100);
        lx9::SetPreparationTiming(100, 0, 0);
        lx9::prepState = lx9::kPrepWake;
        lx9::tickIdle = 1;
        lx9::firstPreparation = 1;
        lx9::filmType = 0;
        WindowsDirectory();
        SourceControlFile();  // makes the folder of the film setting file
        ASSERT_EQ(app.Open(), TWRC_SUCCESS);
        log.Mark();
    }
    void TearDown() override {
        if (lx9::sourceState >= 500) app.Disable();
        lx9::SetPreparationTiming(0, 0, 0);
        lx9::SetSplashMilliseconds(0);
        ResetModule();
    }

    // Enable with the actions of a person running meanwhile; they must all be done when it returns.
    TW_UINT16 EnableWith(UserActions& actions) {
        const TW_UINT16 rc = app.Enable(nullptr);
        for (const std::string& failure : actions.Failures()) ADD_FAILURE() << failure;
        return rc;
    }

    void ExpectTranscript(const std::string& name) {
        const std::string transcript = Transcript(log.Lines());
        const std::string golden = GoldenTranscript(name);
        if (transcript != golden) {
            ADD_FAILURE() << "transcript differs from tests/ds/golden/" << name << ".txt; this run's is in "
                          << SaveTranscript(name, transcript) << ":\n"
                          << transcript;
        }
    }

    Application app;
    CommandLog log;
    RecordingManager manager;
};

HWND Preparing() {
    return FindDialog(kTitle);
}

bool ShowsText(const char* text) {
    HWND dialog = Preparing();
    return dialog && ControlText(dialog, IDC_PREP_TEXT) == text;
}

bool Gone() {
    return Preparing() == nullptr;
}

struct Shown {
    RECT window;
    RECT controls[5];
    std::string title, text, exit;
    bool visible[5];
    bool enabled[5];
};
constexpr int kControls[5] = {IDC_PREP_PICTURE, IDC_PREP_PROGRESS, IDC_PREP_TEXT, IDC_PREP_LINE, IDCANCEL};

Shown ReadBack(HWND dialog) {
    Shown shown{};
    shown.window = ScreenRect(dialog);
    for (int i = 0; i < 5; ++i) {
        shown.controls[i] = ControlRect(dialog, kControls[i]);
        HWND control = GetDlgItem(dialog, kControls[i]);
        shown.visible[i] = IsWindowVisible(control);
        shown.enabled[i] = IsWindowEnabled(control);
    }
    shown.title = WindowText(dialog);
    shown.text = ControlText(dialog, IDC_PREP_TEXT);
    shown.exit = ControlText(dialog, IDCANCEL);
    return shown;
}

void ExpectLayout(const Shown& shown, const LanguageTexts& texts) {
    const int left = std::abs((GetSystemMetrics(SM_CXSCREEN) - 360) / 2);
    const int top = std::abs((GetSystemMetrics(SM_CYSCREEN) - 282) / 2);
    EXPECT_EQ(shown.window.left, left);
    EXPECT_EQ(shown.window.top, top);
    EXPECT_EQ(shown.window.right - shown.window.left, 360);
    EXPECT_EQ(shown.window.bottom - shown.window.top, 282);
    const RECT expected[5] = {{10, 10, 148, 218},
                              {152, 198, 352, 218},
                              {155, 20, 355, 50},
                              {0, 225, 360, 227},
                              {270, 232, 350, 254}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(EqualRect(&shown.controls[i], &expected[i]))
            << "control " << kControls[i] << ": " << shown.controls[i].left << "," << shown.controls[i].top
            << "," << shown.controls[i].right << "," << shown.controls[i].bottom;
        EXPECT_TRUE(shown.visible[i]) << kControls[i];
        EXPECT_TRUE(shown.enabled[i]) << kControls[i];
    }
    EXPECT_EQ(shown.title, kTitle);
    EXPECT_EQ(shown.text, texts.insert);
    EXPECT_EQ(shown.exit, texts.exitButton);
}

// Waiting for a cartridge, in each language: the dialog as the user sees it; the title bar's close button
// does nothing; EXIT ends it and asks the application to close the source.
class NoCartridge : public StartupTest {};

TEST_F(NoCartridge, PreparingDialogInEachLanguageThenTheCloseButtonAndExit) {
    for (const LanguageTexts* texts : {&kEnglish, &kFrench, &kGerman}) {
        SCOPED_TRACE(texts->setting);
        ScopedLanguage language(std::string{texts->setting});
        const int requests = manager.Calls();
        Shown shown{};
        bool splashSeen = false;
        DWORD closedAt = 0;
        UserActions actions;
        actions.Then("the splash", [&] { return splashSeen = FindDialog("") != nullptr; })
            .Then("the cartridge text", [&] { return ShowsText(texts->insert); })
            .Then("read back and press the close button",
                  [&] {
                      shown = ReadBack(Preparing());
                      // The mouse over the dialog while it waits for the user: the arrow.
                      // Over a control, too: the dialog answers for it, so the control keeps its hands off.
                      HWND button = GetDlgItem(Preparing(), IDCANCEL);
                      EXPECT_EQ(SendMessageA(Preparing(), WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
                                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                                TRUE);
                      EXPECT_EQ(GetCursor(), lx9::arrowCursor);
                      PostMessageA(Preparing(), WM_SYSCOMMAND, SC_CLOSE, 0);
                      closedAt = GetTickCount();
                      return true;
                  })
            .Then("still there after the close button, EXIT",
                  [&] {
                      if (GetTickCount() - closedAt < 700) return false;
                      EXPECT_NE(Preparing(), nullptr);
                      Click(Preparing(), IDCANCEL);
                      return true;
                  })
            .Then("the dialog ends", Gone);
        EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
        EXPECT_TRUE(splashSeen);
        ExpectLayout(shown, *texts);
        EXPECT_EQ(lx9::sourceState, 500);
        EXPECT_EQ(lx9::mainDialog, nullptr);
        EXPECT_EQ(manager.Calls(), requests + 1);
        EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ);
        EXPECT_EQ(lx9::prepState, lx9::kPrepCartridge) << "the next dialog resumes here";
        ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    }
}

// The host's language setting chooses the template: the EXIT button's text tells which one is shown.
TEST_F(NoCartridge, LanguageOfTheHostSetting) {
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {"deu", "Ende"}, {"fra", "QUITTER"}, {"frc", "QUITTER"},
        {"enu", "EXIT"}, {"jpn", "EXIT"},    {std::nullopt, "EXIT"}};
    for (const auto& [setting, exitText] : cases) {
        SCOPED_TRACE(setting.value_or("(missing)"));
        ScopedLanguage language(setting);
        std::string shownExit;
        UserActions actions;
        actions
            .Then("the preparing dialog",
                  [&] {
                      HWND dialog = Preparing();
                      if (!dialog) return false;
                      shownExit = ControlText(dialog, IDCANCEL);
                      Click(dialog, IDCANCEL);
                      return true;
                  })
            .Then("the dialog ends", Gone);
        EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
        EXPECT_EQ(shownExit, exitText);
        ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    }
}

TEST_F(NoCartridge, AnEmptySettingShowsTheSplashThenCannotOpenTheDialog) {
    ScopedLanguage language(std::string{});
    MessageBoxes boxes;
    bool splashSeen = false;
    UserActions actions;
    actions.Then("the splash", [&] { return splashSeen = FindDialog("") != nullptr; });
    EXPECT_EQ(EnableWith(actions), TWRC_FAILURE);
    EXPECT_TRUE(splashSeen);
    EXPECT_EQ(lx9::sourceState, 400);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    ASSERT_GE(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "can't open dialog.");
    EXPECT_EQ(log.Lines().size(), 0u) << "nothing is sent to the scanner";
}

// A cartridge inserted while the dialog waits (through the emulator's control socket).
class LaterCartridge : public StartupTest {};

TEST_F(LaterCartridge, WaitsThenReadsTheCartridgeInserted) {
    ScopedLanguage language(std::string{"enu"});
    ScopedFile setting(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=1\r\n"));
    std::vector<std::string> reply;
    UserActions actions;
    DWORD waitingSince = 0;
    actions
        .Then("the cartridge text",
              [&] {
                  waitingSince = GetTickCount();
                  return ShowsText(kEnglish.insert);
              })
        .Then("a cartridge goes in a while later",
              [&] {
                  if (GetTickCount() - waitingSince < 600) return false;
                  reply = EmulatorControl("cartridge insert 15 positive");
                  return true;
              })
        .Then("the dialog ends", Gone);
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    ASSERT_FALSE(reply.empty()) << "no relay to the emulator's control socket";
    EXPECT_EQ(reply.back(), "ok");
    EXPECT_EQ(lx9::frameCount, 15);
    EXPECT_EQ(lx9::filmType, 1);
    for (int f = 1; f <= 15; ++f) EXPECT_EQ(lx9::frameExposure[f], 2 * lx9::calibrationWord) << f;
    ExpectTranscript("startup_cartridge_later");
}

BOOL CALLBACK CountMainWindows(HWND window, LPARAM count) {
    if (IsWindowVisible(window) && WindowText(window) == kTitle) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// A whole start-up: the negative cartridge of 25 frames, the film setting file made, the exposures.
class StandbyOn : public StartupTest {};

TEST_F(StandbyOn, StartsUpWithANegativeCartridge) {
    ScopedLanguage language(std::string{"enu"});
    ScopedFile setting(FilmSettingFile(), std::nullopt);
    MessageBoxes boxes;
    RECT splash{};
    UserActions actions;
    actions
        .Then("the splash",
              [&] {
                  HWND window = FindDialog("");
                  if (window) splash = ScreenRect(window);
                  return window != nullptr;
              })
        .Then("the preparing dialog", [] { return Preparing() != nullptr; })
        .Then("the dialog ends", Gone);
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EXPECT_EQ(splash.right - splash.left, 322);
    EXPECT_EQ(splash.bottom - splash.top, 242);
    EXPECT_EQ(splash.left, std::abs((GetSystemMetrics(SM_CXSCREEN) - 322) / 2));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(manager.Calls(), 0);
    EXPECT_EQ(lx9::prepState, lx9::kPrepFinish);
    EXPECT_EQ(lx9::firstPreparation, 0);
    EXPECT_EQ(ProfileText(FilmSettingFile(), "LX-9", "NegaPosi"), "0");
    EXPECT_EQ(lx9::frameCount, 25);
    for (int f = 1; f <= 25; ++f) {
        EXPECT_EQ(lx9::frameBaseExposure[f], GetNewCCDShutter(lx9::filmWord, lx9::frameHighlights[f])) << f;
        EXPECT_EQ(lx9::frameExposure[f], lx9::frameBaseExposure[f]) << f;
    }
    EXPECT_NE(lx9::arrowCursor, nullptr);
    EXPECT_NE(lx9::waitCursor, nullptr);
    ExpectTranscript("startup_standby_on");

    // Disabled and enabled again: the preparing dialog itself makes the main window this time, so there is
    // exactly one (none while the main window is not built) and mainDialog names it.
    ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    log.Mark();
    UserActions again;
    again.Then("the dialog ends", [] { return Gone(); });
    EXPECT_EQ(EnableWith(again), TWRC_SUCCESS);
    int mainWindows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountMainWindows, reinterpret_cast<LPARAM>(&mainWindows));
    EXPECT_EQ(mainWindows, lx9::mainDialog ? 1 : 0);
    if (lx9::mainDialog) {
        EXPECT_EQ(FindDialog(kTitle), lx9::mainDialog);
    }
    ExpectTranscript("startup_again");
}

// Twenty enable/disable cycles, half of them through the whole start-up: nothing left behind.
TEST_F(StandbyOn, TwentyCyclesLeaveNoMemoryOrObjectsBehind) {
    ScopedLanguage language(std::string{"enu"});
    lx9::SetSplashMilliseconds(10);
    lx9::SetPreparationTiming(20, 0, 0);
    const auto cycle = [&](int i) {
        if (i % 2 == 0) lx9::prepState = lx9::kPrepWake;  // as after a restart
        ASSERT_EQ(app.Enable(nullptr), TWRC_SUCCESS);
        ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    };
    cycle(0);
    cycle(1);
    const size_t blocks = HeapBlocks();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int i = 0; i < 20; ++i) cycle(i);
    EXPECT_LE(HeapBlocks(), blocks + 4);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
    EXPECT_EQ(lx9::prepState, lx9::kPrepFinish);
}

// The standby switch off at the start: the source switches it on.
class StandbyOff : public StartupTest {};

TEST_F(StandbyOff, WakesTheScannerAndUsesThePositiveSetting) {
    ScopedLanguage language(std::string{"fra"});
    ScopedFile setting(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=1\r\n"));
    UserActions actions;
    actions.Then(
        "the dialog ends", [] { return Gone(); }, 30000);
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EXPECT_NE(lx9::startScannerWord, 0);
    EXPECT_EQ(lx9::filmType, 1);
    for (int f = 1; f <= 25; ++f) EXPECT_EQ(lx9::frameBaseExposure[f], 2 * lx9::calibrationWord) << f;
    ExpectTranscript("startup_standby_off");
}

// A positive cartridge of 40 frames, and a film setting the source does not know: taken as negative and
// written back, so that the file says what the scans use.
class Positive40 : public StartupTest {};

TEST_F(Positive40, ReadsFortyFramesAndAnUnknownFilmSettingBecomesNegative) {
    ScopedLanguage language(std::string{"deu"});
    ScopedFile setting(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=7\r\n"));
    UserActions actions;
    actions.Then("the dialog ends", [] { return Gone(); });
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EXPECT_EQ(lx9::frameCount, 40);
    EXPECT_EQ(lx9::filmType, 0);
    EXPECT_EQ(ProfileText(FilmSettingFile(), "LX-9", "NegaPosi"), "0");
    for (int f = 1; f <= 40; ++f) {
        EXPECT_EQ(lx9::frameBaseExposure[f], GetNewCCDShutter(lx9::filmWord, lx9::frameHighlights[f])) << f;
    }
    ExpectTranscript("startup_positive_40");
}

// The scanner restarted while the dialog waits for a cartridge: back to waking it, then on as before.
class Restarted : public StartupTest {};

TEST_F(Restarted, AScannerRestartSendsTheDialogBackToWakingIt) {
    ScopedLanguage language(std::string{"enu"});
    std::vector<std::string> restart, insert;
    UserActions actions;
    actions.Then("the cartridge text", [] { return ShowsText(kEnglish.insert); })
        .Then("the scanner restarts",
              [&] {
                  restart = EmulatorControl("restart");
                  return true;
              })
        .Then("the preparing text again", [] { return ShowsText(kEnglish.preparing); })
        .Then(
            "the cartridge text again", [] { return ShowsText(kEnglish.insert); }, 30000)
        .Then("a cartridge goes in",
              [&] {
                  insert = EmulatorControl("cartridge insert 25 negative");
                  return true;
              })
        .Then("the dialog ends", Gone);
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    ASSERT_FALSE(restart.empty()) << "no relay to the emulator's control socket";
    EXPECT_EQ(restart.back(), "ok");
    EXPECT_EQ(lx9::frameCount, 25);
    EXPECT_EQ(lx9::startScannerWord, lx9::scannerWord);
}

// Another cartridge while the status block is prepared (the emulator made slow for it): the cartridge check
// of state 114 sends the dialog back to 113, which takes the new one.
TEST_F(Restarted, ACartridgeChangedDuringStartUpIsReadAgain) {
    ScopedLanguage language(std::string{"enu"});
    ASSERT_FALSE(EmulatorControl("cartridge remove").empty()) << "no relay to the emulator's control socket";
    EmulatorControl("timing status-block 3000");
    std::vector<std::string> change;
    DWORD insertedAt = 0;
    UserActions actions;
    actions.Then("the cartridge text", [] { return ShowsText(kEnglish.insert); })
        .Then("a cartridge goes in",
              [&] {
                  EmulatorControl("cartridge insert 15 negative");
                  insertedAt = GetTickCount();
                  return true;
              })
        .Then("another one while its status block is prepared",
              [&] {
                  if (GetTickCount() - insertedAt < 1000) return false;
                  change = EmulatorControl("cartridge change 40 negative");
                  return true;
              })
        .Then("the dialog ends", Gone, 30000);
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EmulatorControl("timing status-block 0");
    ASSERT_FALSE(change.empty());
    EXPECT_EQ(change.back(), "ok");
    EXPECT_EQ(lx9::frameCount, 40) << "the film information of the cartridge now in";
    EXPECT_EQ(lx9::startCartridgeWord, lx9::cartridgeWord);
    EXPECT_EQ(lx9::startCartridgeWord & 0xFF, 40);
}

// The standby switch turned off while the dialog waits: "Standby Switch Off." and the close request.
TEST_F(Restarted, TheStandbySwitchTurnedOffIsReported) {
    ScopedLanguage language(std::string{"enu"});
    ASSERT_FALSE(EmulatorControl("cartridge remove").empty()) << "no relay to the emulator's control socket";
    MessageBoxes boxes;
    UserActions actions;
    actions.Then("the cartridge text", [] { return ShowsText(kEnglish.insert); }).Then("standby off", [] {
        EmulatorControl("standby off");
        return true;
    });
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Standby Switch Off."});
    EXPECT_EQ(manager.Calls(), 1);
    EXPECT_EQ(lx9::standbyOff, 1);
    EmulatorControl("standby on");
}

// A fault at each state of start-up ends in the report of the user's language and a close request.
struct FaultCase {
    const char* suite;
    const LanguageTexts* language;
    const char* text;
};
const FaultCase kFaults[] = {
    {"Fault110", &kEnglish, "Hardware Error.  0x10"},
    {"Fault111", &kFrench, "Erreur due au mat\351riel.  0x11"},
    {"Fault112", &kGerman, "Hardwarefehler.  0x12"},
    {"Fault113", &kEnglish, "Hardware Error.  0x13"},
    {"Fault114", &kFrench, "Erreur due au mat\351riel.  0x14"},
    {"Fault115", &kGerman, "Hardwarefehler.  0x15"},
    {"StandbyStuck", &kEnglish, "Could not turn on Standby Switch."},
    {"BusyWake", &kEnglish, "Could not turn on Standby Switch."},
    {"Unusable", &kFrench, "Cassette?"},
    {"OtherDevice", &kGerman,
     "Ger\344te ID nicht verf\374gbar.\nEventuell ist ein anderes Ger\344t angeschlossen."},
};

class Faults : public StartupTest {
  protected:
    // Runs start-up and checks the report; returns how long it took.
    DWORD ExpectReport(const FaultCase& fault) {
        ScopedLanguage language(std::string{fault.language->setting});
        MessageBoxes boxes;
        UserActions actions;
        const DWORD started = GetTickCount();
        EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
        const DWORD took = GetTickCount() - started;
        EXPECT_TRUE(Gone());
        EXPECT_EQ(lx9::sourceState, 500);
        EXPECT_EQ(lx9::mainDialog, nullptr);
        EXPECT_EQ(manager.Calls(), 1);
        EXPECT_EQ(manager.LastMessage(), MSG_CLOSEDSREQ);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{fault.text});
        SaveTranscript(std::string("fault_") + fault.suite, Transcript(log.Lines()));
        if (!boxes.Boxes().empty()) {
            EXPECT_EQ(boxes.Boxes()[0].caption, fault.language->caption);
        }
        return took;
    }
};

const FaultCase& CaseOf(const char* suite) {
    for (const FaultCase& fault : kFaults) {
        if (std::strcmp(fault.suite, suite) == 0) return fault;
    }
    return kFaults[0];
}

// tickIdle: a step's error path leaves it taken (0); a failure while the dialog opens never took it.
#define LX9_FAULT_TEST(suite, state, tickLeft)                       \
    class suite : public Faults {};                                  \
    TEST_F(suite, EndsInTheReport) {                                 \
        ExpectReport(CaseOf(#suite));                                \
        EXPECT_EQ(lx9::prepState, state) << "the state that failed"; \
        EXPECT_EQ(lx9::tickIdle, tickLeft);                          \
    }

LX9_FAULT_TEST(Fault110, lx9::kPrepWake, 0)
LX9_FAULT_TEST(Fault111, lx9::kPrepCalibrating, 0)
LX9_FAULT_TEST(Fault112, lx9::kPrepLoadShading, 0)
LX9_FAULT_TEST(Fault113, lx9::kPrepCartridge, 0)
LX9_FAULT_TEST(Fault114, lx9::kPrepStatus, 0)
LX9_FAULT_TEST(Fault115, lx9::kPrepFilm, 0)
LX9_FAULT_TEST(Unusable, lx9::kPrepCartridge, 0)
TEST_F(Unusable, SendsNothingAfterTheCartridgeWord) {
    ExpectReport(CaseOf("Unusable"));
    ExpectTranscript("fault_unusable");
}

// The error path left tickIdle taken; a dialog shown again in the same module must still tick: it resumes
// in state 113 and reports the unusable cartridge once more.
TEST_F(Unusable, ADialogShownAgainAfterTheErrorPathStillTicks) {
    ExpectReport(CaseOf("Unusable"));
    ASSERT_EQ(lx9::tickIdle, 0);
    ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    MessageBoxes boxes;
    UserActions actions;
    EXPECT_EQ(EnableWith(actions), TWRC_SUCCESS);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Cartridge?"});  // the host setting is English again
    EXPECT_EQ(manager.Calls(), 2);
}
LX9_FAULT_TEST(OtherDevice, lx9::kPrepWake, 1)

// A standby switch that never comes on: three attempts about a second apart.
class StandbyStuck : public Faults {};
TEST_F(StandbyStuck, ThreeAttemptsThenTheReport) {
    const DWORD took = ExpectReport(CaseOf("StandbyStuck"));
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 8000u);
    ExpectTranscript("fault_standby_stuck");
}

// A scanner that stays busy while it should wake: the wait is bounded and ends in the report.
class BusyWake : public Faults {};
TEST_F(BusyWake, TheWaitForTheReadyBitIsBounded) {
    lx9::SetPreparationTiming(100, 100, 5);
    const std::vector<std::string> reply = EmulatorControl("busy 60000");
    ASSERT_FALSE(reply.empty()) << "no relay to the emulator's control socket";
    const DWORD took = ExpectReport(CaseOf("BusyWake"));
    EXPECT_LT(took, 10000u);
    EXPECT_EQ(lx9::prepState, lx9::kPrepWake);
}

}  // namespace
