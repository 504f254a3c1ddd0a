// The manager's own operations: opening and closing it, its Ids, its condition codes.
#include "dsm_fixture.h"

namespace lx9::hosttest {
namespace {

using ManagerSession = ManagerTest;

TEST_F(ManagerSession, OpenAssignsAnIdAndRefusesASecondOpen) {
    OpenManager();
    EXPECT_NE(app_.Id, 0u);
    const TW_UINT32 id = app_.Id;
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_), TWRC_FAILURE);
    EXPECT_EQ(app_.Id, id);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(ManagerCondition(), TWCC_SUCCESS) << "reading the status clears it";

    ASSERT_EQ(OpenManager(other_), TWRC_SUCCESS);
    EXPECT_NE(other_.Id, 0u);
    EXPECT_NE(other_.Id, app_.Id);
}

TEST_F(ManagerSession, OpenNeedsTheApplicationsWindow) {
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    HWND none = nullptr;
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &none), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &gone), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    EXPECT_EQ(app_.Id, 0u);
}

TEST_F(ManagerSession, CloseOnlyWhenOpenAndNoSourceIsOpen) {
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);

    OpenManager();
    TW_IDENTITY source{};
    ASSERT_EQ(OpenSource("Recorder A", source), TWRC_SUCCESS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
    ASSERT_EQ(CloseSource(source), TWRC_SUCCESS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_SUCCESS);
    openApps_.clear();
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR) << "closed: the manager no longer knows the application";

    // Opening again gives a new Id.
    const TW_UINT32 old = app_.Id;
    OpenManager();
    EXPECT_NE(app_.Id, old);
}

TEST_F(ManagerSession, RefusesWhatItDoesNotServe) {
    OpenManager();
    TW_IMAGEINFO info{};
    EXPECT_EQ(Call(nullptr, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADPROTOCOL);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_GET, &window_), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADPROTOCOL);
    TW_STATUS status{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_STATUS, MSG_SET, &status), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADPROTOCOL);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, nullptr), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    EXPECT_EQ(dsm_(nullptr, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_), TWRC_FAILURE);
}

TEST_F(ManagerSession, ConditionsAreKeptPerApplication) {
    OpenManager();
    ASSERT_EQ(OpenManager(other_), TWRC_SUCCESS);
    TW_IDENTITY missing{};
    EXPECT_EQ(OpenSource("No Such Scanner", missing), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(other_), TWCC_SUCCESS);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
}

}  // namespace
}  // namespace lx9::hosttest
