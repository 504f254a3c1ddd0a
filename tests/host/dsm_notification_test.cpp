// A source's notifications: kept by the manager, announced to the application's window, and delivered on
// the application's next MSG_PROCESSEVENT for that source, after the source has seen the event.
#include "dsm_fixture.h"

namespace lx9::hosttest {
namespace {

class ManagerNotifications : public ManagerTest {
  protected:
    void SetUp() override {
        ManagerTest::SetUp();
        OpenManager();
        ASSERT_EQ(OpenSource("Recorder A", source_), TWRC_SUCCESS);
        notify_ = RecorderProc<RecorderNotifyProc>("RecorderA", "Recorder_Notify");
        ASSERT_NE(notify_, nullptr);
    }

    // Hands one event to the source the way an application's loop does.
    TW_UINT16 ProcessEvent(TW_IDENTITY& source, TW_EVENT& event, UINT message = WM_USER + 7) {
        message_ = MSG{window_, message, 0, 0, 0, {0, 0}};
        event = TW_EVENT{&message_, 0xBEEF};
        return Call(&source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    }

    bool WakeUpWaiting() {
        MSG waiting{};
        return PeekMessageA(&waiting, window_, 0, 0, PM_REMOVE) && waiting.message == WM_NULL;
    }

    TW_IDENTITY source_{};
    RecorderNotifyProc notify_ = nullptr;
    MSG message_{};
};

TEST_F(ManagerNotifications, TransferReadyRidesOnTheNextEventAfterTheSourceSawIt) {
    TW_EVENT event{};
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);

    EXPECT_EQ(notify_(MSG_XFERREADY), TWRC_SUCCESS);
    EXPECT_TRUE(WakeUpWaiting()) << "a waiting message loop is woken";
    EXPECT_EQ(ProcessEvent(source_, event, WM_USER + 9), TWRC_DSEVENT);
    // The recorder always answers MSG_NULL: the notification was put in after it returned.
    EXPECT_EQ(event.TWMessage, MSG_XFERREADY);
    const RecordedCall last = RecordedCalls("RecorderA").back();
    EXPECT_EQ(last.msg, MSG_PROCESSEVENT);
    EXPECT_EQ(last.eventMessage, static_cast<UINT>(WM_USER + 9));
    EXPECT_EQ(last.data, &event);

    EXPECT_EQ(ProcessEvent(source_, event), TWRC_NOTDSEVENT) << "delivered once";
    EXPECT_EQ(event.TWMessage, MSG_NULL);
}

TEST_F(ManagerNotifications, KeepsSeveralInOrderAndOnlyForTheirSource) {
    TW_IDENTITY other{};
    ASSERT_EQ(OpenSource("Recorder B", other), TWRC_SUCCESS);
    EXPECT_EQ(notify_(MSG_XFERREADY), TWRC_SUCCESS);
    EXPECT_EQ(notify_(MSG_CLOSEDSREQ), TWRC_SUCCESS);

    TW_EVENT event{};
    EXPECT_EQ(ProcessEvent(other, event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_XFERREADY);
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_CLOSEDSREQ);
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_NOTDSEVENT);
}

TEST_F(ManagerNotifications, RefusesWrongAddressesUnknownMessagesAndAFloodingSource) {
    auto notifyTo = RecorderProc<RecorderNotifyToProc>("RecorderA", "Recorder_NotifyTo");
    EXPECT_EQ(notifyTo(app_.Id + 1000, MSG_XFERREADY), TWRC_FAILURE);
    EXPECT_EQ(notify_(MSG_GET), TWRC_FAILURE);
    EXPECT_FALSE(WakeUpWaiting());

    for (int i = 0; i < 16; ++i) EXPECT_EQ(notify_(MSG_XFERREADY), TWRC_SUCCESS) << i;
    EXPECT_EQ(notify_(MSG_XFERREADY), TWRC_FAILURE) << "the queue is bounded";
    TW_EVENT event{};
    int delivered = 0;
    while (ProcessEvent(source_, event) == TWRC_DSEVENT && delivered < 100) ++delivered;
    EXPECT_EQ(delivered, 16);
}

TEST_F(ManagerNotifications, ClosingTheSourceDropsWhatIsPending) {
    EXPECT_EQ(notify_(MSG_XFERREADY), TWRC_SUCCESS);
    ASSERT_EQ(CloseSource(source_), TWRC_SUCCESS);
    ASSERT_EQ(OpenSource("Recorder A", source_), TWRC_SUCCESS);
    TW_EVENT event{};
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
}

TEST_F(ManagerNotifications, ANotificationSentWhileEnablingArrivesAfterwards) {
    SetEnvironmentVariableA("RECORDER_NOTIFY_ON_ENABLE", "257");  // MSG_XFERREADY
    TW_USERINTERFACE ui{TRUE, FALSE, window_};
    EXPECT_EQ(Call(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_TRUE(WakeUpWaiting());
    TW_EVENT event{};
    EXPECT_EQ(ProcessEvent(source_, event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_XFERREADY);
}

TEST_F(ManagerNotifications, AnEventWithoutItsRecordNeverReachesTheSource) {
    const size_t before = RecordedCalls("RecorderA").size();
    EXPECT_EQ(Call(&source_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    EXPECT_EQ(RecordedCalls("RecorderA").size(), before);
}

}  // namespace
}  // namespace lx9::hosttest
