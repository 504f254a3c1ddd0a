// Where the control files are found: the redirection file, the default files, the paths kept for the module's
// lifetime, the two messages for missing files, and the lookups that read the files.
#include "ds_caps_support.h"

#include "caps/control_files.h"
#include "caps/value_text.h"
#include "twain/source_state.h"

#include <gtest/gtest.h>

using namespace lx9test;

namespace {

const char* kMissingSource = "Unable to find LX-9 Source Control";
const char* kMissingInitial = "Unable to find LX-9 Initial Control";

std::string Redirection() {
    return WindowsDirectory() + "\\source.$$$";
}

class ControlFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    ControlFiles files{ShippedSourceControl(), ShippedInitialControl()};
    BoxWatcher boxes;
};

TEST_F(ControlFileTest, DefaultFilesAreRecordedWithoutAMessage) {
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "");
    // Before any check the operations already use the file the check would choose.
    EXPECT_EQ(lx9::SourceControlPath(), SourceControlFile());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "");
    ASSERT_TRUE(lx9::CheckControlFiles());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), SourceControlFile());
    EXPECT_EQ(lx9::RecordedInitialControlPath(), InitialControlFile());
    EXPECT_EQ(lx9::InitialControlFilePath(), InitialControlFile());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ControlFileTest, MissingFilesShowTheirMessageWithoutOwnerAndFail) {
    {
        ScopedFile gone(SourceControlFile(), std::nullopt);
        EXPECT_FALSE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(), "");
    }
    {
        ScopedFile gone(InitialControlFile(), std::nullopt);
        EXPECT_FALSE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedSourceControlPath(),
                  SourceControlFile());  // found before the other was missed
        EXPECT_EQ(lx9::RecordedInitialControlPath(), "");
    }
    ASSERT_EQ(boxes.Texts(), (std::vector<std::string>{kMissingSource, kMissingInitial}));
    for (const ShownBox& box : boxes.Boxes()) EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Error");  // no caption of our own: the system's
}

TEST_F(ControlFileTest, RecordedPathsOutliveTheFiles) {
    ASSERT_TRUE(lx9::CheckControlFiles());
    ScopedFile goneSource(SourceControlFile(), std::nullopt);
    ScopedFile goneInitial(InitialControlFile(), std::nullopt);
    EXPECT_TRUE(lx9::CheckControlFiles());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ControlFileTest, RedirectionFileNamesTheSourceControlFileAsItStands) {
    ScopedFile redirect(Redirection(), std::string("C:\\elsewhere\\lx9.src\r\n"));
    ScopedFile goneInitial(InitialControlFile(), std::nullopt);  // not even looked for
    ASSERT_TRUE(lx9::CheckControlFiles());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "C:\\elsewhere\\lx9.src\r\n");
    EXPECT_EQ(lx9::RecordedInitialControlPath(), "");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ControlFileTest, RedirectionIsCutAtAZeroByteOrAt260Bytes) {
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
}

TEST_F(ControlFileTest, InitialControlIsRecordedByTheFirstCheckWithoutRedirection) {
    {
        ScopedFile redirect(Redirection(), std::string("C:\\other.src"));
        ASSERT_TRUE(lx9::CheckControlFiles());
        EXPECT_EQ(lx9::RecordedInitialControlPath(), "");
    }
    // The redirected path stays: only a redirection replaces a recorded path.
    ASSERT_TRUE(lx9::CheckControlFiles());
    EXPECT_EQ(lx9::RecordedSourceControlPath(), "C:\\other.src");
    EXPECT_EQ(lx9::RecordedInitialControlPath(), InitialControlFile());
}

TEST_F(ControlFileTest, LookupsReadTheFilesOnEveryCall) {
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_PIXELS"), 5);
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_MILES"), 99);
    EXPECT_EQ(lx9::SymbolForNumber("ICAP_UNITS", 1), "TWUN_CENTIMETERS");
    EXPECT_EQ(lx9::SymbolForNumber("ICAP_UNITS", 9), "");
    EXPECT_EQ(lx9::SymbolForNumber("ICAP_XRESOLUTION", 835), "835");  // no symbol section
    EXPECT_EQ(lx9::ParseItem("TRUE", TWTY_BOOL, "CAP_INDICATORS"), 1u);
    EXPECT_EQ(lx9::FindIndex("ICAP_XFERMECH", "current"), 0u);

    // The physical frame size is carried by symbols whose numbers are fixed-point items with a fraction.
    const TW_FIX32 width = Fix(lx9::ParseItem("LX9_FRAME_WIDTH", TWTY_FIX32, "ICAP_PHYSICALWIDTH"));
    const TW_FIX32 height = Fix(lx9::ParseItem("LX9_FRAME_HEIGHT", TWTY_FIX32, "ICAP_PHYSICALHEIGHT"));
    EXPECT_NEAR(lx9::Fix32ToReal(width) * 25.4, 30.2, 0.01);
    EXPECT_NEAR(lx9::Fix32ToReal(height) * 25.4, 16.7, 0.01);

    ScopedFile edited(InitialControlFile(), std::string("[ICAP_UNITS]\r\nTWUN_PIXELS=7\r\n"));
    EXPECT_EQ(lx9::LookupSymbol("ICAP_UNITS", "TWUN_PIXELS"), 7);
}

}  // namespace
