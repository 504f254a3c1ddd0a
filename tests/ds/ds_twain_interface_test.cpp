// Enable and disable (state rules, language, the order of the windows) and the notifications through the
// manager.
#include "ds_twain_support.h"

#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "twain/user_interface.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace lx9test;

namespace {

class InterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    }
    void TearDown() override { ResetModule(); }
    Application app;
    BoxWatcher boxes;
};

const char* kCantOpen = "can't open dialog.";
const char* kEnableRefusal =
    "General failure in response to MSG_ENABLEDS.  DG DAT MSG is out of expected sequence.";

TEST_F(InterfaceTest, EnableChoosesTheLanguageFromTheHostSetting) {
    const std::pair<std::optional<std::string>, uint8_t> cases[] = {
        {"deu", 2},    {"fra", 1},        {"frc", 1},    {"enu", 0}, {"ita", 0},
        {"jpn", 0},    {std::nullopt, 0}, {"german", 0},  // read with room for three characters: "ger"
        {"french", 1},
    };
    for (const auto& [setting, expected] : cases) {
        ScopedLanguage language(setting);
        lx9::language = 9;
        ASSERT_EQ(app.Enable(), TWRC_SUCCESS) << setting.value_or("(missing)");
        EXPECT_EQ(lx9::language, expected) << setting.value_or("(missing)");
        EXPECT_EQ(lx9::sourceState, 500);
        ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
        EXPECT_EQ(lx9::sourceState, 400);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(InterfaceTest, ASettingOfOtherThanThreeCharactersCannotOpenTheInterface) {
    for (const char* setting : {"", "de", "x"}) {
        boxes.Clear();
        ScopedLanguage language(std::string{setting});
        EXPECT_EQ(app.Enable(), TWRC_FAILURE) << setting;
        EXPECT_EQ(lx9::sourceState, 400);
        EXPECT_EQ(app.Status(), TWCC_SEQERROR);
        ASSERT_EQ(boxes.Boxes().size(), 2u) << setting;
        EXPECT_EQ(boxes.Boxes()[0].text, kCantOpen);
        EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
        EXPECT_EQ(boxes.Boxes()[1].text, kEnableRefusal);
    }
}

// Stand-ins for the windows, recording the order in which enabling opens them.
struct StepLog {
    std::vector<std::string> calls;
    HWND owner = nullptr;
    uint8_t languageAtPreparation = 9;
    INT_PTR splashResult = 0;
    INT_PTR preparationResult = 1;
    bool preparationMakesWindow = false;
};
StepLog steps;

HWND MakeStandInWindow(HWND owner) {
    return CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
}

INT_PTR StandInSplash(HWND owner) {
    steps.calls.push_back("splash");
    steps.owner = owner;
    return steps.splashResult;
}

INT_PTR StandInPreparation(HWND owner) {
    steps.calls.push_back("preparation");
    steps.languageAtPreparation = lx9::language;
    if (steps.preparationMakesWindow) lx9::mainDialog = MakeStandInWindow(owner);
    return steps.preparationResult;
}

HWND StandInMainWindow(HWND owner) {
    steps.calls.push_back("main window");
    lx9::mainDialog = MakeStandInWindow(owner);
    return lx9::mainDialog;
}

const lx9::UserInterfaceSteps kStandIns{StandInSplash, StandInPreparation, StandInMainWindow};

class WindowStepsTest : public InterfaceTest {
  protected:
    void SetUp() override {
        InterfaceTest::SetUp();
        steps = StepLog{};
        lx9::SetUserInterfaceSteps(&kStandIns);
        parent =
            CreateWindowExA(0, "STATIC", "app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        InterfaceTest::TearDown();
        DestroyWindow(parent);
    }
    HWND parent = nullptr;
};

using Calls = std::vector<std::string>;

TEST_F(WindowStepsTest, EnableShowsSplashThenPreparationThenTheMainWindowAndDisableDestroysIt) {
    ScopedLanguage language(std::string{"deu"});
    ASSERT_EQ(app.Enable(parent), TWRC_SUCCESS);
    EXPECT_EQ(steps.calls, (Calls{"splash", "preparation", "main window"}));
    EXPECT_EQ(steps.owner, parent);
    EXPECT_EQ(lx9::parentWindow, parent);
    EXPECT_EQ(steps.languageAtPreparation, 2);
    HWND window = lx9::mainDialog;
    ASSERT_TRUE(IsWindow(window));

    // Enabled: a second enable is out of sequence and its box belongs to the application's window.
    EXPECT_EQ(app.Enable(parent), TWRC_FAILURE);
    EXPECT_EQ(lx9::sourceState, 500);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kEnableRefusal);
    EXPECT_EQ(boxes.Boxes()[0].owner, parent);
    EXPECT_EQ(steps.calls.size(), 3u);

    ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(lx9::mainDialog, nullptr);
    EXPECT_EQ(lx9::sourceState, 400);
}

TEST_F(WindowStepsTest, APreparationThatMadeTheMainWindowItselfGetsNoSecondOne) {
    ScopedLanguage language(std::string{"enu"});
    steps.preparationMakesWindow = true;
    ASSERT_EQ(app.Enable(parent), TWRC_SUCCESS);
    EXPECT_EQ(steps.calls, (Calls{"splash", "preparation"}));
    EXPECT_TRUE(IsWindow(lx9::mainDialog));
}

TEST_F(WindowStepsTest, ExitOrAFailedStartUpStillEnablesButOpensNoMainWindow) {
    ScopedLanguage language(std::string{"fra"});
    for (INT_PTR result : {0, -1}) {
        steps = StepLog{};
        steps.preparationResult = result;
        ASSERT_EQ(app.Enable(parent), TWRC_SUCCESS) << result;
        EXPECT_EQ(steps.calls, (Calls{"splash", "preparation"}));
        EXPECT_EQ(lx9::mainDialog, nullptr);
        EXPECT_EQ(lx9::sourceState, 500);
        ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(WindowStepsTest, TheSplashComesBeforeTheSettingIsJudgedAndASplashThatCannotShowRefuses) {
    {
        ScopedLanguage language(std::string{"de"});
        EXPECT_EQ(app.Enable(parent), TWRC_FAILURE);
        EXPECT_EQ(steps.calls, (Calls{"splash"}));
    }
    steps = StepLog{};
    steps.splashResult = -1;
    ScopedLanguage language(std::string{"enu"});
    EXPECT_EQ(app.Enable(parent), TWRC_FAILURE);
    EXPECT_EQ(steps.calls, (Calls{"splash"}));
    EXPECT_EQ(lx9::sourceState, 400);
    EXPECT_EQ(app.Status(), TWCC_SEQERROR);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{kCantOpen, kEnableRefusal, kCantOpen, kEnableRefusal}));
    EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
}

// The notifications, through the recording manager of bin/fake_dsm.
struct FakeCalls {
    int count;
    TW_IDENTITY origin;
    TW_IDENTITY destination;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};

class NotifyTest : public InterfaceTest {
  protected:
    void SetUp() override {
        InterfaceTest::SetUp();
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        std::string folder(path);
        folder.resize(folder.find_last_of('\\'));
        fake = LoadLibraryA((folder + "\\fake_dsm\\TWAIN_32.DLL").c_str());
        ASSERT_NE(fake, nullptr);
        auto calls =
            reinterpret_cast<void* (*)()>(reinterpret_cast<void*>(GetProcAddress(fake, "FakeDsmCalls")));
        ASSERT_NE(calls, nullptr);
        recorded = static_cast<FakeCalls*>(calls());
        std::memset(recorded, 0, sizeof *recorded);
        lx9::SetManagerLibraryName(nullptr);  // "TWAIN_32.DLL", found loaded
    }
    void TearDown() override {
        InterfaceTest::TearDown();
        if (fake) FreeLibrary(fake);
    }
    HMODULE fake = nullptr;
    FakeCalls* recorded = nullptr;
};

TEST_F(NotifyTest, TransferReadyEntersStateSixAndGoesFromSourceToApplication) {
    lx9::sourceState = 500;
    lx9::NotifyTransferReady();
    EXPECT_EQ(lx9::sourceState, 600);
    ASSERT_EQ(recorded->count, 1);
    EXPECT_EQ(recorded->origin.Id, 42u);  // the Id the manager gave at MSG_OPENDS
    EXPECT_STREQ(recorded->origin.ProductName, "NORVIK LX-9");
    EXPECT_EQ(recorded->destination.Id, app.identity.Id);
    EXPECT_EQ(recorded->dg, DG_CONTROL);
    EXPECT_EQ(recorded->dat, DAT_NULL);
    EXPECT_EQ(recorded->msg, MSG_XFERREADY);
    EXPECT_EQ(recorded->data, nullptr);
}

TEST_F(NotifyTest, CloseRequestChangesNoStateAndTheManagerIsReleasedAfterEachCall) {
    for (int32_t state : {400, 500, 600}) {
        lx9::sourceState = state;
        lx9::NotifyCloseRequest();
        EXPECT_EQ(lx9::sourceState, state);
    }
    EXPECT_EQ(recorded->count, 3);
    EXPECT_EQ(recorded->msg, MSG_CLOSEDSREQ);
    // Only our own reference is left: once released, the library is gone.
    FreeLibrary(fake);
    fake = nullptr;
    HMODULE left = GetModuleHandleA("TWAIN_32.DLL");
    EXPECT_TRUE(left == nullptr || GetProcAddress(left, "FakeDsmCalls") == nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(InterfaceTest, WithNoManagerTheSourceStillEntersStateSix) {
    lx9::SetManagerLibraryName("lx9_no_manager_here.dll");
    lx9::sourceState = 500;
    lx9::StoreTransferImage(MakeImage(4, 2));
    lx9::NotifyTransferReady();
    EXPECT_EQ(lx9::sourceState, 600);
    HANDLE handle = nullptr;
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    EXPECT_NE(handle, nullptr);
    GlobalFree(handle);
    lx9::NotifyCloseRequest();
    EXPECT_EQ(lx9::sourceState, 600);
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
