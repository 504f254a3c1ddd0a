// DS_Entry as an application meets it: the state table, routing, the connection, status, events and the box.
#include "ds_twain_support.h"

#include "twain/ds_entry.h"
#include "twain/error_box.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace lx9test;

namespace {

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetModule(); }
    void TearDown() override { ResetModule(); }
    Application app;
    BoxWatcher boxes;
};

const char* kCaption = "LX-9 TWAIN Source Error";
const char* kSequence = "DG DAT MSG is out of expected sequence.";

struct Triplet {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
};

// Every operation in every state: where the state table forbids it, a sequence refusal with the operation's
// box and no change of state; where it allows it, anything but that.
TEST_F(SessionTest, StateTable) {
    struct Row {
        Triplet op;
        std::set<int> states;
        const char* prefix;
    };
    const std::set<int> any{3, 4, 5, 6, 7};
    const Row rows[] = {
        {{DG_CONTROL, DAT_IDENTITY, MSG_OPENDS}, {3}, "General failure in response to MSG_OPENDS.  "},
        {{DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},
         {4, 5, 6, 7},
         "General failure in response to MSG_CLOSEDS.  "},
        {{DG_CONTROL, DAT_IDENTITY, MSG_GET}, any, nullptr},
        {{DG_CONTROL, DAT_STATUS, MSG_GET}, any, nullptr},
        {{DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
         {4},
         "General failure in response to MSG_ENABLEDS.  "},
        {{DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS},
         {5, 6, 7},
         "General failure in response to MSG_DISABLEDS.  "},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET},
         {6, 7},
         "General failure in response to DAT_PENDINGXFER.  "},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_GET},
         {4, 5, 6, 7},
         "General failure in response to DAT_PENDINGXFER.  "},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER}, any, nullptr},
        {{DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET},
         {4, 5, 6},
         "General failure in response to DAT_SETUPMEMXFER, not supported.  "},
        {{DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET},
         {4, 5, 6},
         "General failure in response to DAT_SETUPFILEXFER, not supported.  "},
        {{DG_CONTROL, DAT_XFERGROUP, MSG_GET},
         {4, 5, 6},
         "General failure in response to DAT_XFERGROUP, not supported.  "},
        {{DG_IMAGE, DAT_PALETTE8, MSG_GETDEFAULT},
         {4, 5, 6},
         "General failure in response to DAT_PALETTE8.  "},
        {{DG_IMAGE, DAT_IMAGEINFO, MSG_GET}, {6}, "General failure in transfer.  "},
        {{DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},
         {6, 7},
         "General failure in response to DAT_IMAGENATIVEXFER.  "},
        {{DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET}, any, nullptr},
        {{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET}, any, nullptr},
        {{DG_IMAGE, DAT_CIECOLOR, MSG_GET}, any, nullptr},
        {{DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_SET}, any, nullptr},
    };
    ControlFiles files;
    ScopedLanguage language(std::string{"enu"});
    for (const Row& row : rows) {
        for (int state = 3; state <= 7; ++state) {
            ResetModule();
            if (state > 3) {
                ASSERT_EQ(app.Open(), TWRC_SUCCESS);
            }
            lx9::sourceState = state * 100;
            lx9::StoreTransferImage(MakeImage(10, 10));
            boxes.Clear();
            alignas(8) unsigned char data[2048] = {};
            auto* memory = reinterpret_cast<TW_IMAGEMEMXFER*>(data);
            memory->Memory = {TWMF_APPOWNS | TWMF_POINTER, 1024, data + 1024};
            const TW_UINT16 rc = app.Call(row.op.dg, row.op.dat, row.op.msg, data);
            const std::string where = std::to_string(row.op.dat) + "/" + std::to_string(row.op.msg) +
                                      " in state " + std::to_string(state);
            if (row.states.count(state)) {
                EXPECT_FALSE(rc == TWRC_FAILURE && lx9::conditionCode == TWCC_SEQERROR) << where;
                continue;
            }
            EXPECT_EQ(rc, TWRC_FAILURE) << where;
            EXPECT_EQ(lx9::conditionCode, TWCC_SEQERROR) << where;
            EXPECT_EQ(lx9::sourceState, state * 100) << where;
            ASSERT_EQ(boxes.Boxes().size(), 1u) << where;
            EXPECT_EQ(boxes.Boxes()[0].text, std::string(row.prefix) + kSequence) << where;
            EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
        }
    }
}

// A message an operation does not take: a protocol refusal with the operation's box.
TEST_F(SessionTest, MessagesAnOperationDoesNotTake) {
    const std::pair<Triplet, const char*> rows[] = {
        {{DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST}, "General failure in response to DAT_IDENTITY.  "},
        {{DG_CONTROL, DAT_STATUS, MSG_SET}, "General failure in response to DAT_STATUS.  "},
        {{DG_CONTROL, DAT_USERINTERFACE, MSG_GET}, "General failure in response to DAT_USERINTERFACE.  "},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_SET}, "General failure in response to DAT_PENDINGXFER.  "},
        {{DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET},
         "General failure in response to DAT_SETUPMEMXFER, not supported.  "},
        {{DG_CONTROL, DAT_SETUPFILEXFER, MSG_RESET},
         "General failure in response to DAT_SETUPFILEXFER, not supported.  "},
        {{DG_CONTROL, DAT_XFERGROUP, MSG_ENDXFER},
         "General failure in response to DAT_XFERGROUP, not supported.  "},
        {{DG_IMAGE, DAT_IMAGEINFO, MSG_SET}, "General failure in transfer.  "},
        {{DG_IMAGE, DAT_IMAGELAYOUT, MSG_ENDXFER}, "General failure in response to DAT_IMAGEINFO.  "},
        {{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_SET}, "General failure in response to DAT_IMAGEINFO.  "},
        {{DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_SET}, "General failure in response to DAT_IMAGENATIVEXFER.  "},
        {{DG_IMAGE, DAT_IMAGEFILEXFER, MSG_SET}, "General failure in response to DAT_IMAGEINFO.  "},
        {{DG_IMAGE, DAT_PALETTE8, MSG_GETCURRENT}, "General failure in response to DAT_PALETTE8.  "},
    };
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    for (const auto& [op, prefix] : rows) {
        lx9::sourceState = 600;
        lx9::StoreTransferImage(MakeImage(10, 10));
        boxes.Clear();
        unsigned char data[1100] = {};
        EXPECT_EQ(app.Call(op.dg, op.dat, op.msg, data), TWRC_FAILURE) << op.dat;
        EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL) << op.dat;
        EXPECT_EQ(lx9::sourceState, 600);
        EXPECT_NE(lx9::transferImage, nullptr) << op.dat;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{std::string(prefix) + "Bad protocol error."})
            << op.dat;
    }
}

TEST_F(SessionTest, UnlistedTripletsAreProtocolErrorsWithoutABox) {
    const Triplet unlisted[] = {
        {DG_IMAGE, DAT_PARENT, MSG_GET},       {DG_CONTROL, DAT_PARENT, MSG_OPENDSM},
        {DG_CONTROL, DAT_EVENT, MSG_GET},      {DG_AUDIO, DAT_AUDIOINFO, MSG_GET},
        {DG_CONTROL, DAT_IMAGEINFO, MSG_GET},  {DG_IMAGE, DAT_CAPABILITY, MSG_GET},
        {DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET}, {0x8000, DAT_IDENTITY, MSG_GET},
    };
    for (int32_t state : {300, 600}) {
        lx9::sourceState = state;
        for (const Triplet& t : unlisted) {
            char data[1100] = {};
            EXPECT_EQ(app.Call(t.dg, t.dat, t.msg, data), TWRC_FAILURE) << t.dg << " " << t.dat;
            EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL) << t.dg << " " << t.dat;
            EXPECT_EQ(lx9::sourceState, state);
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Messages of later TWAIN versions, sent by applications that ask before they act: refused without a box and
// before any state check, by every operation but those that take any message.
TEST_F(SessionTest, LaterVersionMessagesAreProtocolErrorsWithoutABox) {
    const TW_UINT16 datsControl[] = {DAT_IDENTITY, DAT_PENDINGXFERS,  DAT_SETUPMEMXFER, DAT_SETUPFILEXFER,
                                     DAT_STATUS,   DAT_USERINTERFACE, DAT_XFERGROUP};
    const TW_UINT16 datsImage[] = {DAT_IMAGEINFO,       DAT_IMAGELAYOUT,   DAT_IMAGEMEMXFER,
                                   DAT_IMAGENATIVEXFER, DAT_IMAGEFILEXFER, DAT_PALETTE8};
    const TW_UINT16 later[] = {MSG_QUERYSUPPORT, MSG_GETHELP,        MSG_GETLABEL, MSG_GETLABELENUM,
                               MSG_CHECKSTATUS,  MSG_ENABLEDSUIONLY, MSG_PASSTHRU, 0x0042};
    for (int32_t state : {300, 600}) {
        for (TW_UINT16 msg : later) {
            const auto check = [&](TW_UINT32 dg, TW_UINT16 dat) {
                lx9::sourceState = state;
                char data[1100] = {};
                const std::string where = std::to_string(dat) + "/" + std::to_string(msg);
                EXPECT_EQ(app.Call(dg, dat, msg, data), TWRC_FAILURE) << where;
                EXPECT_EQ(app.Status(), TWCC_BADPROTOCOL) << where;
                EXPECT_EQ(lx9::sourceState, state) << where;
            };
            for (TW_UINT16 dat : datsControl) check(DG_CONTROL, dat);
            for (TW_UINT16 dat : datsImage) check(DG_IMAGE, dat);
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    char data[16] = {};
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GETLABEL, data), TWRC_SUCCESS);  // any message
}

TEST_F(SessionTest, IdentityFromStartUpThenFromTheManager) {
    TW_IDENTITY identity;
    std::memset(&identity, 0xcc, sizeof identity);
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(identity.Id, 0u);
    EXPECT_EQ(identity.Version.MajorNum, 1);
    EXPECT_EQ(identity.Version.MinorNum, 0);
    EXPECT_EQ(identity.Version.Language, TWLG_USA);
    EXPECT_EQ(identity.Version.Country, TWCY_USA);
    EXPECT_STREQ(identity.Version.Info, "Ver1.00");
    EXPECT_EQ(identity.ProtocolMajor, 1);
    EXPECT_EQ(identity.ProtocolMinor, 5);
    EXPECT_EQ(identity.SupportedGroups, DG_CONTROL | DG_IMAGE);
    EXPECT_STREQ(identity.Manufacturer, "NORVIK");
    EXPECT_STREQ(identity.ProductFamily, "PHOTO-SCANNER");
    EXPECT_STREQ(identity.ProductName, "NORVIK LX-9");
    for (size_t i = std::strlen(identity.ProductName); i < sizeof identity.ProductName; ++i)
        ASSERT_EQ(identity.ProductName[i], 0) << i;  // zero-filled beyond the text

    identity.Id = 99;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
    EXPECT_EQ(lx9::sourceState, 400);
    EXPECT_EQ(lx9::appIdentity.Id, app.identity.Id);
    EXPECT_STREQ(lx9::appIdentity.ProductName, "lx9 test");
    TW_IDENTITY reported{};
    app.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &reported);
    EXPECT_EQ(reported.Id, 99u);

    ASSERT_EQ(app.Close(), TWRC_SUCCESS);
    EXPECT_EQ(lx9::sourceState, 300);
    EXPECT_EQ(lx9::appIdentity.Id, 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SessionTest, StatusReportsTheLastRefusalOnceAndSuccessDoesNotClearIt) {
    app.Close();  // refused in state 3
    TW_IDENTITY identity{};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    TW_STATUS status{};
    status.Reserved = 0x1234;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, TWCC_SEQERROR);
    EXPECT_EQ(status.Reserved, 0);
    EXPECT_EQ(app.Status(), TWCC_SUCCESS);
}

TEST_F(SessionTest, AnotherApplicationIsIgnoredWhileOneIsConnected) {
    ASSERT_EQ(app.Open(), TWRC_SUCCESS);
    lx9::conditionCode = TWCC_BADVALUE;
    Application intruder(8);
    TW_IDENTITY identity;
    std::memset(&identity, 0xcc, sizeof identity);
    EXPECT_EQ(intruder.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_FAILURE);
    EXPECT_EQ(static_cast<unsigned char>(identity.Manufacturer[0]), 0xcc);  // nothing written
    EXPECT_EQ(intruder.Close(), TWRC_FAILURE);
    EXPECT_EQ(intruder.Call(DG_IMAGE, DAT_PARENT, MSG_GET, &identity), TWRC_FAILURE);
    EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_FAILURE);
    EXPECT_EQ(lx9::sourceState, 400);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);  // not even the condition changed
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SessionTest, MissingStructuresAreRefusedNotWrittenThrough) {
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr), TWRC_FAILURE);
    EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &app.identity), TWRC_FAILURE);
    EXPECT_EQ(lx9::sourceState, 300);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_STATUS, MSG_GET, nullptr), TWRC_FAILURE);
    TW_EVENT event{};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_NOTDSEVENT);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
}

// A modeless dialog with one edit control, from a template built in memory, stands for the main window.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

HWND MakeDialog() {
    alignas(4) WORD words[64] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words);
    dialog->style = WS_POPUP | DS_MODALFRAME;
    dialog->cdit = 1;
    dialog->cx = 100;
    dialog->cy = 50;
    WORD* next = words + sizeof(DLGTEMPLATE) / 2 + 3;  // no menu, standard class, no title
    auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(words + ((next - words + 1) & ~1));  // DWORD-aligned
    item->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    item->cx = 80;
    item->cy = 12;
    item->id = 100;
    next = reinterpret_cast<WORD*>(item + 1);
    next[0] = 0xffff;
    next[1] = 0x0081;  // edit
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog, nullptr, PlainDialogProc, 0);
}

TEST_F(SessionTest, ProcessEventPassesDialogMessagesToTheMainWindow) {
    MSG message{};
    message.message = WM_KEYDOWN;
    message.wParam = VK_TAB;
    TW_EVENT event{&message, 0x77};
    // No main window: not ours, TWMessage untouched, whatever group and type come with it.
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PARENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, 0x77);

    HWND dialog = MakeDialog();
    ASSERT_NE(dialog, nullptr);
    lx9::mainDialog = dialog;
    message.hwnd = GetDlgItem(dialog, 100);
    lx9::conditionCode = TWCC_BADCAP;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);

    // A message for another window is not the dialog's.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    message.hwnd = other;
    event.TWMessage = 0x55;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, 0x55);
    EXPECT_EQ(lx9::conditionCode, TWCC_BADCAP);
    DestroyWindow(other);
}

TEST_F(SessionTest, ErrorBoxComposesPrefixAndConditionText) {
    HWND owner =
        CreateWindowExA(0, "STATIC", "app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    lx9::parentWindow = owner;
    const std::pair<TW_UINT16, const char*> texts[] = {
        {0, "Success message from detailed error request ??"},
        {1, "Bummer error."},
        {2, "Low Memory Condition encountered, free up some memory and try again."},
        {3, "No Data Source found error."},
        {4, "Source is connected to max possible apps."},
        {5, "An operation error just occurred."},
        {6, "Bad capabilities error."},
        {7, "Unknown Error value in condition code."},
        {8, "Unknown Error value in condition code."},
        {12, "Unknown Error value in condition code."},
    };
    // The longest prefix, so that the longest texts are seen whole.
    const std::string prefix = "General failure in response to DAT_SETUPFILEXFER, not supported.  ";
    for (const auto& [condition, text] : texts) {
        boxes.Clear();
        lx9::ShowSourceError(prefix.c_str(), condition);
        ASSERT_EQ(boxes.Boxes().size(), 1u) << condition;
        EXPECT_EQ(boxes.Boxes()[0].text, prefix + text);
        EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
        EXPECT_EQ(boxes.Boxes()[0].owner, owner);
    }
    DestroyWindow(owner);
}

}  // namespace
