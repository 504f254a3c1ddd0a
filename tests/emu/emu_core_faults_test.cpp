// Fault rules and the session that applies them: every fault's effect on the reply bytes, rule
// matching, framing faults, time-outs and the command log lines.
#include <gtest/gtest.h>

#include "core/session.h"
#include "core/words.h"
#include "emu_core_test_util.h"

namespace lx9emu {
namespace {

using std::chrono::milliseconds;

FaultRule rule(const std::string& text) {
    FaultRule r;
    std::string why;
    EXPECT_TRUE(parseFaultRule(splitWords(text), &r, &why)) << text << ": " << why;
    return r;
}

TEST(EmuCoreFaultRules, ParseKindsValuesAndTargets) {
    std::string why;
    FaultRule r;
    auto parse = [&](const std::string& text) { return parseFaultRule(splitWords(text), &r, &why); };
    ASSERT_TRUE(parse("status 0x71 0x3c code read times 3 after 2"));
    EXPECT_EQ(r.kind, FaultKind::Status);
    EXPECT_EQ(r.value, 0x71u);
    EXPECT_EQ(r.senseByte, 0x3C);
    EXPECT_EQ(r.code, code::Read);
    EXPECT_EQ(r.times, 3u);
    EXPECT_EQ(r.skip, 2u);
    ASSERT_TRUE(parse("trickle"));
    EXPECT_EQ(r.value, 50u);
    ASSERT_TRUE(parse("start code 0x0200 always"));
    EXPECT_EQ(r.value, 2u);
    EXPECT_TRUE(r.always);
    ASSERT_TRUE(parse("status 127 keep"));
    EXPECT_TRUE(r.keep);
    for (const char* bad : {"", "explode", "delay", "cut", "status", "status 0", "status 256", "start 300",
                            "silence 5", "echo 0x10000", "long code nosuch", "trickle -1", "silence times 0",
                            "silence after", "checksum keep", "delay 600001"})
        EXPECT_FALSE(parse(bad)) << bad;
}

TEST(EmuCoreFaultRules, PlanMatchesByCodeCountsAndSkips) {
    FaultPlan plan;
    plan.add(rule("silence code read times 2 after 1"));
    plan.add(rule("checksum"));
    EXPECT_EQ(plan.take(code::Read)->kind, FaultKind::Checksum);  // first READ skipped by the first rule
    EXPECT_EQ(plan.take(code::Read)->kind, FaultKind::Silence);
    EXPECT_FALSE(plan.take(code::TestUnitReady));  // the checksum rule is used up
    EXPECT_EQ(plan.take(code::Read)->kind, FaultKind::Silence);
    EXPECT_FALSE(plan.take(code::Read));
    EXPECT_TRUE(plan.list().empty());

    plan.add(rule("refuse code scan"));
    EXPECT_EQ(plan.take(code::Scan)->kind, FaultKind::Refuse);
    EXPECT_EQ(plan.take(code::Scan)->kind, FaultKind::Refuse);
    plan.senseRequested();
    EXPECT_FALSE(plan.take(code::Scan));
    plan.add(rule("refuse"));
    plan.senseRequested();  // a refusal that has not fired yet survives an unrelated REQUEST SENSE
    EXPECT_FALSE(plan.take(code::TestUnitReady));
    EXPECT_FALSE(plan.take(code::RequestSense));
    EXPECT_EQ(plan.take(code::SetWindow)->kind, FaultKind::Refuse);
    plan.add(rule("echo always"));
    EXPECT_EQ(plan.list().size(), 2u);
    plan.clear();
    EXPECT_FALSE(plan.take(code::SetWindow));
}

class EmuCoreSession : public ::testing::Test {
  protected:
    static DeviceConfig fast() {
        DeviceConfig c;
        c.timings = Timings::fast();
        return c;
    }
    EmuCoreSession() : device_(model_, fast(), now_), session_(device_, faults_, log_) {
        device_.setStandby(Standby::On, now_);
        std::string why;
        device_.insertCartridge(25, FilmKind::Negative, now_, &why);
    }
    std::vector<Outgoing> feed(const std::vector<uint8_t>& bytes) {
        std::vector<Outgoing> out;
        session_.receive(bytes, now_, out);
        return out;
    }
    std::vector<Outgoing> command(uint16_t c, const std::vector<uint8_t>& payload = {}) {
        return feed(buildCommand(c, payload));
    }
    test::ParsedReply only(const std::vector<Outgoing>& out) {
        EXPECT_EQ(out.size(), 1u);
        auto r = out.empty() ? std::nullopt : test::parseReply(out[0].bytes);
        EXPECT_TRUE(r);
        return r.value_or(test::ParsedReply{});
    }
    void addFault(const std::string& text) { faults_.add(rule(text)); }

    ScannerModel& model_ = test::sharedModel();
    TimePoint now_ = TimePoint{} + std::chrono::hours(1);
    Device device_;
    FaultPlan faults_;
    CommandLog log_;
    Session session_;
};

TEST_F(EmuCoreSession, ReplyCorruptionsChangeOnlyWhatTheyName) {
    auto clean = command(code::TestUnitReady);
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_EQ(clean[0].bytes.size(), 21u);
    EXPECT_EQ(std::vector<uint8_t>(clean[0].bytes.begin(), clean[0].bytes.begin() + 8),
              (std::vector<uint8_t>{1, 0, 0, 0, 0x0D, 2, 0, 0}));

    addFault("echo");
    auto r = only(command(code::TestUnitReady));
    EXPECT_EQ(r.code, 0x0201);
    EXPECT_TRUE(r.checksumOk);  // the echo is wrong, the frame is sound
    addFault("echo 0x0428");
    EXPECT_EQ(only(command(code::TestUnitReady)).code, 0x0428);

    addFault("checksum");
    r = only(command(code::TestUnitReady));
    EXPECT_FALSE(r.checksumOk);
    EXPECT_EQ(r.data.size(), 12u);

    addFault("start 0x7f");
    EXPECT_EQ(command(code::TestUnitReady)[0].bytes[0], 0x7F);

    addFault("long 5");
    r = only(command(code::Inquiry));
    EXPECT_TRUE(r.checksumOk);
    EXPECT_EQ(r.data.size(), 34u + 5);

    addFault("cut 10");
    EXPECT_EQ(command(code::TestUnitReady)[0].bytes.size(), 10u);

    addFault("trickle 40");
    addFault("delay 250");
    auto slow = command(code::TestUnitReady);
    EXPECT_EQ(slow[0].byteIntervalMs, 40u);
    auto late = command(code::TestUnitReady);
    EXPECT_EQ(late[0].delayMs, 250u);
    EXPECT_EQ(only(late).data.size(), 12u);
}

TEST_F(EmuCoreSession, SilenceAndStatusFaultsLeaveTheCommandUndone) {
    device_.setStandby(Standby::Off, now_);
    addFault("silence code c1");
    EXPECT_TRUE(command(code::VendorC1, test::kStandbyOn).empty());
    EXPECT_EQ(device_.scannerWord(), 0);

    addFault("status 0x71 0x3c code c1");
    EXPECT_EQ(only(command(code::VendorC1, test::kStandbyOn)).status, 0x71);
    EXPECT_EQ(device_.scannerWord(), 0);
    auto sense = only(command(code::RequestSense, test::sensePayload(0x71)));
    EXPECT_EQ(sense.data, std::vector<uint8_t>{0x3C});

    addFault("status 0x70 5 keep");
    auto kept = only(command(code::VendorC1, test::kStandbyOn));
    EXPECT_EQ(kept.status, 0x70);
    EXPECT_NE(device_.scannerWord(), 0);  // carried out all the same
    addFault("status 0x70 9 keep");
    auto withData = only(command(code::TestUnitReady));
    EXPECT_EQ(withData.status, 0x70);
    EXPECT_EQ(withData.data.size(), 12u);
    EXPECT_EQ(only(command(code::RequestSense, test::sensePayload(0x70))).data, std::vector<uint8_t>{9});
}

TEST_F(EmuCoreSession, RefusalLastsUntilTheHostAsksForTheSense) {
    addFault("refuse 100 code window");
    auto window = test::standardWindow(1);
    EXPECT_EQ(only(command(code::SetWindow, window)).status, 0x70);
    EXPECT_EQ(only(command(code::TestUnitReady)).data[0], 0x00);  // busy for the 100 ms asked
    EXPECT_EQ(only(command(code::SetWindow, window)).status, 0x70);
    EXPECT_EQ(only(command(code::RequestSense, test::sensePayload(0x70))).data, std::vector<uint8_t>{1});
    now_ += milliseconds(100);
    EXPECT_EQ(only(command(code::TestUnitReady)).data[0], 0x01);
    EXPECT_EQ(only(command(code::SetWindow, window)).status, 0x00);
}

TEST_F(EmuCoreSession, FramingFaultsAnswerOrStaySilentAndRecover) {
    auto bad = buildCommand(code::TestUnitReady, {});
    bad.back() = 0;
    auto r = only(feed(bad));
    EXPECT_EQ(r.code, code::TestUnitReady);
    EXPECT_EQ(r.status, 0x70);
    EXPECT_EQ(only(command(code::RequestSense, test::sensePayload(0x70))).data,
              std::vector<uint8_t>{sense::BadChecksum});

    // An over-long header: silence, and input ignored until the line has been quiet.
    EXPECT_TRUE(feed({1, 0x00, 0x10, 0x00, 0x00, 0x04, 0x28, 1, 2, 3}).empty());
    ASSERT_TRUE(session_.deadline());
    now_ += milliseconds(20);
    EXPECT_TRUE(command(code::TestUnitReady).empty());
    now_ += Session::kQuietGap;
    session_.tick(now_);
    EXPECT_EQ(only(command(code::TestUnitReady)).status, 0);

    // A frame that stops half-way is dropped after the frame time-out.
    auto tur = buildCommand(code::TestUnitReady, {});
    EXPECT_TRUE(feed({tur.begin(), tur.begin() + 4}).empty());
    now_ += Session::kFrameTimeout;
    session_.tick(now_);
    EXPECT_FALSE(session_.deadline());
    EXPECT_EQ(only(feed(tur)).status, 0);

    auto lines = log_.lines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "bad checksum 0200 - status 70 data 0");
    EXPECT_EQ(lines[2], "bad length 0428 1048576");
    EXPECT_EQ(lines[3], "cmd 0200 - status 00 data 12");
    EXPECT_EQ(lines[4], "bad partial 4");
}

TEST_F(EmuCoreSession, UnreadRepliesAreDroppedWhenANewCommandArrives) {
    size_t unread = 21;
    int calls = 0;
    session_.setDropUnread([&] {
        ++calls;
        return std::exchange(unread, size_t{0});
    });
    command(code::TestUnitReady);
    command(code::TestUnitReady);
    EXPECT_EQ(calls, 4);  // as each command begins to arrive, and before each reply
    addFault("silence");
    command(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0));
    addFault("status 0x70 3");
    command(code::Read, test::readPayload(0x82, 0xFFFF, 485, 0));
    // Commands sent back to back without reading: only the last one's reply goes out.
    auto batch = buildCommand(code::Read, test::readPayload(0x80, 0xFFFF, 65548, 0));
    auto tur = buildCommand(code::TestUnitReady, {});
    batch.insert(batch.end(), tur.begin(), tur.end());
    EXPECT_EQ(only(feed(batch)).data.size(), 12u);
    auto lines = log_.lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[6], "bad dropped 65557");
    EXPECT_EQ(lines[0], "bad dropped 21");
    EXPECT_EQ(lines[1], "cmd 0200 - status 00 data 12");
    EXPECT_EQ(lines[3], "cmd 0428 8200ffff000001e500000000 silent fault silence");
    EXPECT_EQ(lines[4],
              "cmd 0428 8200ffff000001e500000000 status 70 data 0 fault status why status on demand");
}

}  // namespace
}  // namespace lx9emu
