// The splash, About and Property dialogs as the user sees and operates them in each language, and the film
// setting file they and start-up share.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/device_state.h"
#include "device/film_setting.h"
#include "ds_twain_support.h"
#include "ds_ui_startup_support.h"
#include "lx9pict.h"
#include "twain/source_state.h"
#include "ui/aux_dialogs.h"
#include "ui/res/startup_ids.h"

using namespace lx9test;

namespace {

std::string FilmSettingFile() {
    SourceControlFile();  // makes the folder
    return WindowsDirectory() + "\\twain_32\\NorvikLX9\\LX9Cfg.ini";
}

struct DialogTexts {
    const char* aboutTitle;
    const char* propertyTitle;
    const char* cancel;
    const char* label;
    const char* negative;
    const char* positive;
};
// English, French, German (Windows-1252 bytes).
const DialogTexts kTexts[3] = {
    {"About", "PROPERTY", "CANCEL", "FILM", "NEGA", "POSI"},
    {"A propos de", "PROPRIETE", "ANNULER", "FILM", "NEGATIF", "POSITIF"},
    {"\334ber", "Eigenschaften", "Abbrechen", "Film", "Negative", "Positive"},
};

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetModule();
        lx9::frameCount = 3;
        lx9::filmWord = 0x0400;
        lx9::calibrationWord = 0x0123;
        const uint8_t highlights[4][3] = {{0, 0, 0}, {200, 180, 160}, {90, 120, 150}, {250, 250, 250}};
        for (int f = 1; f <= 3; ++f) {
            for (int c = 0; c < 3; ++c) lx9::frameHighlights[f][c] = highlights[f][c];
            lx9::frameBaseExposure[f] = lx9::frameExposure[f] = static_cast<uint16_t>(1000 + f);
        }
    }
    void TearDown() override {
        lx9::language = 0;
        lx9::filmType = 0;
        lx9::frameCount = 0;
    }
};

POINT CentredAt(const RECT& window) {
    return {std::abs((GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2),
            std::abs((GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2)};
}

TEST_F(DialogTest, SplashShowsThePictureCentredForTwoSeconds) {
    RECT shown{};
    std::string caption = "?";
    LONG style = 0, exStyle = 0;
    UserActions actions;
    actions.Then("the splash", [&] {
        HWND splash = FindDialog("");
        if (!splash) return false;
        shown = ScreenRect(splash);
        caption = WindowText(splash);
        style = GetWindowLongA(splash, GWL_STYLE);
        exStyle = GetWindowLongA(splash, GWL_EXSTYLE);
        return true;
    });
    const DWORD started = GetTickCount();
    EXPECT_EQ(lx9::ShowSplash(nullptr), 0);
    const DWORD took = GetTickCount() - started;
    EXPECT_TRUE(actions.AllDone());
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 4000u);
    EXPECT_EQ(shown.right - shown.left, 322);
    EXPECT_EQ(shown.bottom - shown.top, 242);
    EXPECT_EQ(shown.left, CentredAt(shown).x);
    EXPECT_EQ(shown.top, CentredAt(shown).y);
    EXPECT_EQ(caption, "");
    EXPECT_EQ(style & WS_CAPTION, 0) << "no caption";
    EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0) << "a modal frame";
}

TEST_F(DialogTest, AboutInEachLanguageIgnoresEscapeAndEndsWithOk) {
    for (uint8_t language : {0, 1, 2}) {
        SCOPED_TRACE(int(language));
        lx9::language = language;
        RECT window{}, ok{};
        std::string okText;
        bool afterEscape = false;
        DWORD escapedAt = 0;
        UserActions actions;
        actions
            .Then("About",
                  [&] {
                      HWND about = FindDialog(kTexts[language].aboutTitle);
                      if (!about) return false;
                      window = ScreenRect(about);
                      ok = ControlRect(about, IDOK);
                      okText = ControlText(about, IDOK);
                      // Escape as the keyboard gives it to the focused button.
                      PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                      PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
                      escapedAt = GetTickCount();
                      return true;
                  })
            .Then("still open after Escape; OK", [&] {
                if (GetTickCount() - escapedAt < 500) return false;
                HWND about = FindDialog(kTexts[language].aboutTitle);
                afterEscape = about != nullptr;
                if (about) Click(about, IDOK);
                return true;
            });
        EXPECT_EQ(lx9::ShowAboutDialog(nullptr), 0);
        EXPECT_TRUE(actions.AllDone());
        EXPECT_TRUE(afterEscape);
        EXPECT_EQ(window.right - window.left, 322);
        EXPECT_EQ(window.bottom - window.top, 300);
        EXPECT_EQ(window.left, CentredAt(window).x);
        const RECT expectedOk{136, 250, 186, 270};
        EXPECT_TRUE(EqualRect(&ok, &expectedOk))
            << ok.left << "," << ok.top << "," << ok.right << "," << ok.bottom;
        EXPECT_EQ(okText, "OK");
    }
}

struct PropertyView {
    std::string title, ok, cancel, label, entries[2];
    int selected = -2;
    RECT controls[4]{};
    RECT expected[4]{};
    bool visible[4]{};
    bool enabled[4]{};
};
constexpr int kPropertyControls[4] = {IDOK, IDCANCEL, IDC_PROPERTY_LABEL, IDC_FILM_TYPE};
// The template's layout in dialog units: left, top, width, height (each mapped to pixels on its own, as the
// dialog manager does).
constexpr RECT kTemplateUnits[4] = {{120, 5, 55, 14}, {120, 25, 55, 14}, {2, 7, 45, 11}, {55, 5, 50, 37}};

PropertyView ReadProperty(HWND dialog) {
    PropertyView view;
    view.title = WindowText(dialog);
    view.ok = ControlText(dialog, IDOK);
    view.cancel = ControlText(dialog, IDCANCEL);
    view.label = ControlText(dialog, IDC_PROPERTY_LABEL);
    char entry[64] = {};
    for (int i = 0; i < 2; ++i) {
        entry[0] = 0;
        SendDlgItemMessageA(dialog, IDC_FILM_TYPE, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        view.entries[i] = entry;
    }
    view.selected = static_cast<int>(SendDlgItemMessageA(dialog, IDC_FILM_TYPE, CB_GETCURSEL, 0, 0));
    for (int i = 0; i < 4; ++i) {
        HWND control = GetDlgItem(dialog, kPropertyControls[i]);
        view.controls[i] = ControlRect(dialog, kPropertyControls[i]);
        view.expected[i] = kTemplateUnits[i];
        MapDialogRect(dialog, &view.expected[i]);
        view.visible[i] = IsWindowVisible(control);
        view.enabled[i] = IsWindowEnabled(control);
    }
    return view;
}

// Chooses an entry as the user does with the drop-down list: the selection, then its notification.
void ChooseFilm(HWND dialog, int entry) {
    HWND list = GetDlgItem(dialog, IDC_FILM_TYPE);
    SendMessageA(list, CB_SETCURSEL, entry, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILM_TYPE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// Runs the Property dialog: reads it back, chooses `entry` (or nothing: -1) and presses `button`.
INT_PTR RunProperty(uint8_t language, int entry, int button, PropertyView& view) {
    lx9::language = language;
    UserActions actions;
    actions.Then("Property", [&] {
        HWND dialog = FindDialog(kTexts[language].propertyTitle);
        if (!dialog) return false;
        view = ReadProperty(dialog);
        if (entry >= 0) ChooseFilm(dialog, entry);
        Click(dialog, button);
        return true;
    });
    const INT_PTR result = lx9::ShowPropertyDialog(nullptr);
    EXPECT_TRUE(actions.AllDone());
    return result;
}

TEST_F(DialogTest, PropertyInEachLanguageKeepsItsTemplateLayout) {
    ScopedFile file(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=0\r\n"));
    for (uint8_t language : {0, 1, 2}) {
        SCOPED_TRACE(int(language));
        lx9::filmType = language == 1 ? 1 : 0;
        PropertyView view;
        EXPECT_EQ(RunProperty(language, -1, IDCANCEL, view), 0);
        const DialogTexts& texts = kTexts[language];
        EXPECT_EQ(view.title, texts.propertyTitle);
        EXPECT_EQ(view.ok, "OK");
        EXPECT_EQ(view.cancel, texts.cancel);
        EXPECT_EQ(view.label, texts.label);
        EXPECT_EQ(view.entries[0], texts.negative);
        EXPECT_EQ(view.entries[1], texts.positive);
        EXPECT_EQ(view.selected, lx9::filmType) << "the entry of the film type in use";
        for (int i = 0; i < 4; ++i) {
            const RECT& c = view.controls[i];
            const RECT& e = view.expected[i];
            EXPECT_EQ(c.left, e.left) << kPropertyControls[i];
            EXPECT_EQ(c.top, e.top) << kPropertyControls[i];
            EXPECT_EQ(c.right - c.left, e.right) << kPropertyControls[i];
            if (kPropertyControls[i] != IDC_FILM_TYPE) {
                EXPECT_EQ(c.bottom - c.top, e.bottom)
                    << kPropertyControls[i];  // a closed list has its own height
            }
            EXPECT_TRUE(view.visible[i]);
            EXPECT_TRUE(view.enabled[i]);
        }
    }
}

TEST_F(DialogTest, PropertyOkStoresTheFilmTypeAndRecomputesTheExposures) {
    ScopedFile file(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=0\r\n"));
    PropertyView view;
    EXPECT_EQ(RunProperty(2, 1, IDOK, view), 1);
    EXPECT_EQ(lx9::filmType, 1);
    EXPECT_EQ(ProfileText(FilmSettingFile(), "LX-9", "NegaPosi"), "1");
    for (int f = 1; f <= 3; ++f) {
        EXPECT_EQ(lx9::frameBaseExposure[f], 2 * 0x0123) << f;
        EXPECT_EQ(lx9::frameExposure[f], 2 * 0x0123) << f;
    }
    EXPECT_EQ(lx9::frameExposure[4], 0) << "only the cartridge's frames";

    // Back to negative: the exposures from the highlights.
    EXPECT_EQ(RunProperty(0, 0, IDOK, view), 1);
    EXPECT_EQ(view.selected, 1) << "opened on the positive entry";
    EXPECT_EQ(ProfileText(FilmSettingFile(), "LX-9", "NegaPosi"), "0");
    for (int f = 1; f <= 3; ++f) {
        EXPECT_EQ(lx9::frameExposure[f], GetNewCCDShutter(0x0400, lx9::frameHighlights[f])) << f;
    }
}

TEST_F(DialogTest, PropertyOkWithoutAChangeStillRewritesTheKey) {
    ScopedFile file(FilmSettingFile(), std::string("[LX-9]\r\nNegaPosi=01\r\n"));
    lx9::filmType = 1;
    PropertyView view;
    EXPECT_EQ(RunProperty(1, -1, IDOK, view), 1);
    EXPECT_EQ(ProfileText(FilmSettingFile(), "LX-9", "NegaPosi"), "1");
    EXPECT_EQ(lx9::frameExposure[2], 2 * 0x0123);
}

TEST_F(DialogTest, PropertyCancelLeavesFileFilmTypeAndExposuresAlone) {
    const std::string contents = "[LX-9]\r\nNegaPosi=0\r\n; the user's note\r\n";
    ScopedFile file(FilmSettingFile(), contents);
    PropertyView view;
    EXPECT_EQ(RunProperty(0, 1, IDCANCEL, view), 0);
    EXPECT_EQ(lx9::filmType, 0);
    EXPECT_EQ(ReadFileText(FilmSettingFile()), contents);
    for (int f = 1; f <= 3; ++f) EXPECT_EQ(lx9::frameExposure[f], 1000 + f);
}

TEST(FilmSetting, MissingOrUnknownValuesBecomeNegativeAndAreWritten) {
    const std::string path = FilmSettingFile();
    const std::pair<std::optional<std::string>, std::pair<int, std::string>> cases[] = {
        {std::nullopt, {0, "0"}},                 // no file
        {"[other]\r\nx=1\r\n", {0, "0"}},         // no key
        {"[LX-9]\r\nNegaPosi=1\r\n", {1, "1"}},   // positive
        {"[LX-9]\r\nNegaPosi=0\r\n", {0, "0"}},   // negative
        {"[LX-9]\r\nNegaPosi=7\r\n", {0, "0"}},   // no film type: negative, and said so
        {"[LX-9]\r\nNegaPosi=-1\r\n", {0, "0"}},  // the missing marker itself
    };
    for (const auto& [contents, expected] : cases) {
        SCOPED_TRACE(contents.value_or("(no file)"));
        ScopedFile file(path, contents);
        lx9::filmType = 5;
        lx9::ReadFilmSetting();
        EXPECT_EQ(lx9::filmType, expected.first);
        EXPECT_EQ(ProfileText(path, "LX-9", "NegaPosi"), expected.second);
    }
    lx9::filmType = 0;
}

}  // namespace
