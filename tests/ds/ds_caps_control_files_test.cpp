// Where the control files are found: the redirection file, the default files, the paths kept for the module's
// lifetime, the messages for missing files, and the lookups that read the files.
#include "ds_caps_support.h"

#include "caps/control_files.h"
#include "caps/value_text.h"

#include <gtest/gtest.h>

using namespace lx9test;

namespace {

std::string Redirection() {
    return WindowsDirectory() + "\\source.$$$";
}

class ControlFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    ControlFiles files{ShippedFile("NorvikLX9.src"), ShippedFile("NorvikLX9.ini")};
    BoxWatcher boxes;
};

TEST_F(ControlFileTest, DefaultFilesAreRecordedOnceAndOutliveTheirFiles) {
    EXPECT_EQ(lx9::SourceControlPath(), SourceControlFile());  // what the check would choose, not recorded
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "");
    ASSERT_TRUE(lx9::CheckControlFiles());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), SourceControlFile());
    EXPECT_EQ(lx9::RecordedInitialControlPath(), InitialControlFile());
    ScopedFile goneSource(SourceControlFile(), std::nullopt);
    ScopedFile goneInitial(InitialControlFile(), std::nullopt);
    EXPECT_TRUE(lx9::CheckControlFiles());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ControlFileTest, MissingFilesShowPlainMessagesAndFail) {
    {
        ScopedFile gone(SourceControlFile(), std::nullopt);
        EXPECT_FALSE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(), "");
    }
    {
        ScopedFile gone(InitialControlFile(), std::nullopt);
        EXPECT_FALSE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(), SourceControlFile());
        EXPECT_EQ(lx9::RecordedInitialControlPath(), "");
    }
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Unable to find LX-9 Source Control",
                                                       "Unable to find LX-9 Initial Control"}));
    for (const ShownBox& box : boxes.Boxes()) {
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.caption, "Error");  // no caption of ours: the system's default
    }
}

TEST_F(ControlFileTest, RedirectionFileNamesTheSourceControlFileAsItStands) {
    {
        ScopedFile redirect(Redirection(), std::string("C:\\elsewhere\\lx9.src\r\n"));
        ScopedFile goneInitial(InitialControlFile(), std::nullopt);  // not even looked for
        ASSERT_TRUE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(), "C:\\elsewhere\\lx9.src\r\n");
        EXPECT_EQ(lx9::SourceControlPath(), "C:\\elsewhere\\lx9.src\r\n");
        EXPECT_EQ(lx9::RecordedInitialControlPath(), "");
    }
    // Without the file the redirected path stays, and the initial-control file is recorded now.
    ASSERT_TRUE(lx9::CheckControlFiles());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "C:\\elsewhere\\lx9.src\r\n");
    EXPECT_EQ(lx9::RecordedInitialControlPath(), InitialControlFile());
    {
        ScopedFile redirect(Redirection(), std::string("C:\\a.src\0trailing", 17));
        ASSERT_TRUE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(), "C:\\a.src");
    }
    {
        ScopedFile redirect(Redirection(), "C:\\" + std::string(400, 'x'));
        ASSERT_TRUE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath().size(), 260u);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ControlFileTest, LookupsReadTheFilesOnEveryCall) {
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_PIXELS"), 5);
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_MILES"), 99);
    EXPECT_EQ(lx9::SymbolForNumber("ICAP_UNITS", 1), "TWUN_CENTIMETERS");
    EXPECT_EQ(lx9::SymbolForNumber("ICAP_XRESOLUTION", 835), "835");  // no symbol section
    EXPECT_EQ(lx9::FindIndex("ICAP_UNITS", "current"), 0u);
    // The frame's physical size: symbols whose numbers are fixed-point items with their fraction.
    const auto inches = [](const char* name, const char* section) {
        return lx9::Fix32ToReal(lx9::Fix32FromBits(lx9::ParseItem(name, TWTY_FIX32, section)));
    };
    EXPECT_NEAR(inches("LX9_FRAME_WIDTH", "ICAP_PHYSICALWIDTH") * 25.4, 30.2, 0.01);
    EXPECT_NEAR(inches("LX9_FRAME_HEIGHT", "ICAP_PHYSICALHEIGHT") * 25.4, 16.7, 0.01);

    ScopedFile edited(InitialControlFile(), std::string("[ICAP_UNITS]\r\nTWUN_PIXELS=7\r\n"));
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_PIXELS"), 7);
}

}  // namespace
