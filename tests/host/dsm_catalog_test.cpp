// Finding the sources: the scan of the twain_32 tree, listing, the default source and its Ids.
#include "dsm_fixture.h"

#include <gmock/gmock.h>

#include <cstring>

namespace lx9::hosttest {
namespace {

using ManagerCatalog = ManagerTest;
using ::testing::ElementsAre;

TEST_F(ManagerCatalog, ListsEverySourceOneFolderDownAndNothingElse) {
    OpenManager();
    EXPECT_THAT(ListProductNames(), ElementsAre("Recorder A", "Recorder B"));
    // Scanning asks each source for its identity and lets it go again.
    EXPECT_EQ(Recorder("RecorderA"), nullptr);
    EXPECT_EQ(Recorder("RecorderB"), nullptr);

    TW_IDENTITY found{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found), TWRC_ENDOFLIST)
        << "stays at the end";
}

TEST_F(ManagerCatalog, ListedIdentitiesCarryStableDistinctIds) {
    OpenManager();
    TW_IDENTITY a{}, b{};
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &a), TWRC_SUCCESS);
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &b), TWRC_SUCCESS);
    EXPECT_STREQ(a.Manufacturer, "LX9 TESTS");
    EXPECT_EQ(a.ProtocolMinor, 5);
    EXPECT_NE(a.Id, 0u);
    EXPECT_NE(b.Id, 0u);
    EXPECT_NE(a.Id, b.Id);
    EXPECT_NE(a.Id, app_.Id);

    TW_IDENTITY again{};
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &again), TWRC_SUCCESS);
    EXPECT_EQ(again.Id, a.Id);
    TW_IDENTITY opened{};
    ASSERT_EQ(OpenSource("Recorder B", opened), TWRC_SUCCESS);
    EXPECT_EQ(opened.Id, b.Id) << "the Id listed is the Id the open source gets";
}

TEST_F(ManagerCatalog, GetNextNeedsGetFirst) {
    OpenManager();
    TW_IDENTITY found{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
}

TEST_F(ManagerCatalog, DefaultIsTheFirstSourceOrTheOneWinIniNames) {
    OpenManager();
    TW_IDENTITY chosen{};
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen), TWRC_SUCCESS);
    EXPECT_STREQ(chosen.ProductName, "Recorder A");
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen), TWRC_SUCCESS);
    EXPECT_STREQ(chosen.ProductName, "Recorder A");

    ASSERT_TRUE(WriteProfileStringA("TWAIN", "Default Source", RecorderPath("RecorderB").c_str()));
    const TW_UINT16 rcDefault = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
    const std::string defaultName = chosen.ProductName;
    TW_IDENTITY opened{};
    const TW_UINT16 rcOpen = OpenSource("", opened);
    WriteProfileStringA("TWAIN", "Default Source", nullptr);
    EXPECT_EQ(rcDefault, TWRC_SUCCESS);
    EXPECT_EQ(defaultName, "Recorder B");
    EXPECT_EQ(rcOpen, TWRC_SUCCESS) << "an empty request opens the default";
    EXPECT_STREQ(opened.ProductName, "Recorder B");
}

TEST_F(ManagerCatalog, AnEmptyTreeHasNoSources) {
    const std::string empty = tree_ + "\\..\\empty";
    CreateDirectoryA(empty.c_str(), nullptr);
    SetEnvironmentVariableA("LX9_TWAIN_DIR", empty.c_str());
    OpenManager();
    TW_IDENTITY found{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &found), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &found), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &found), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    EXPECT_EQ(OpenSource("", found), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    RemoveDirectoryA(empty.c_str());
}

}  // namespace
}  // namespace lx9::hosttest
