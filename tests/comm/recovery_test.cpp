// LX9_ErrorComm: probe until the device answers, repeat the command at most twice, re-open once.
#include <gtest/gtest.h>

#include <cstring>

#include "device_peer.h"
#include "exchange.h"
#include "fake_seams.h"
#include "lx9comm.h"

using namespace lx9test;

namespace {

constexpr uint16_t kTur = 0x0200;
const Bytes kProbe = {0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xFD};

class RecoveryOnPty : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(LPT1_Open(), 1); }
    void TearDown() override {
        peer.Join();
        LPT1_Close();
    }
    DevicePeer peer;
};

TEST_F(RecoveryOnPty, FirstAnsweredProbeThenTheCommandSucceeds) {
    const Bytes data(12, 0x21);
    peer.Play([&](DevicePeer& d) {
        d.Expect(kProbe);
        d.Send(ProbeReply());
        d.Expect(CommandFrame(kTur));
        d.Send(ReplyFrame(kTur, 0, data));
    });
    uint8_t status[12] = {};
    EXPECT_EQ(LX9_ErrorComm(nullptr, status, 0, 1), 1);
    EXPECT_EQ(RT1_GetError(), 0);
    EXPECT_EQ(Bytes(status, status + 12), data);
}

TEST_F(RecoveryOnPty, ADeviceThatRefusesTheCommandGetsItExactlyTwice) {
    const Bytes start = {0x01, 0x00};
    peer.Play([&](DevicePeer& d) {
        for (int i = 0; i < 2; ++i) {
            d.Expect(kProbe);
            d.Send(ProbeReply());
            d.Expect(CommandFrame(0x031B, start));
            d.Send(ReplyFrame(0x031B, 0x02));
        }
        EXPECT_TRUE(d.Receive(1, 300).empty()) << "nothing after the second refusal";
    });
    EXPECT_EQ(LX9_ErrorComm(start.data(), nullptr, 2, 16), 0);
    EXPECT_EQ(RT1_GetError(), 2);
}

// With a scripted port: count probes, re-opens and the last error precisely.
class RecoveryCounts : public ::testing::Test {
  protected:
    RecoveryCounts() {
        port.Open();
        // Every probe is answered with 21 bytes of noise.
        port.onRead = [](uint8_t* p, uint32_t n, uint32_t* d) {
            std::memset(p, 0xEE, n);
            *d = n;
            return true;
        };
        lx9comm::State().lastError = 77;
    }
    int ProbesSent() const {
        int probes = 0;
        for (size_t at = 0; at + 8 <= port.written.size(); at += 8)
            probes += std::memcmp(port.written.data() + at, lx9comm::kProbeFrame, 8) == 0;
        return probes;
    }
    FakePort port;
    FakeClock clock;
    SeamSwap swap{&port, &clock, nullptr};
};

TEST_F(RecoveryCounts, TwentyProbesOneReopenInTheSixthPassErrorUntouched) {
    uint8_t status[12];
    EXPECT_EQ(LX9_ErrorComm(nullptr, status, 0, 1), 0);
    EXPECT_EQ(ProbesSent(), 20);
    EXPECT_EQ(port.written.size(), 20u * 8);  // the command itself never went out
    EXPECT_EQ(port.opens, 2);
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{100});
    EXPECT_EQ(RT1_GetError(), 77);
}

// A scanner gone silent: each probe costs its six read attempts under the short set (about 1.35 s). The
// recovery stops starting passes after its budget, still reaching the re-open of the sixth pass, instead of
// freezing the application for twenty probes.
TEST_F(RecoveryCounts, ASilentScannerEndsWithinTheBudgetAfterTheReopen) {
    port.onRead = [this](uint8_t*, uint32_t n, uint32_t* d) {
        clock.now += 4 * n + 100;  // the short set's wait for n bytes that never come
        *d = 0;
        return true;
    };
    uint8_t status[12];
    EXPECT_EQ(LX9_ErrorComm(nullptr, status, 0, 1), 0);
    EXPECT_EQ(ProbesSent(), 6);
    EXPECT_EQ(port.closes, 1) << "the sixth pass re-opened the port";
    EXPECT_LT(clock.now, lx9comm::kRecoveryBudgetMs + 2000u);
}

// A reply that stalls every time after a few bytes of its body: each exchange costs the long set's five
// seconds. The first repetition is made (a stall that happens once is recovered); a second one that would end
// past the budget is not.
TEST_F(RecoveryCounts, AReplyThatStallsEachTimeIsRepeatedOnce) {
    bool bodyStarted = false;
    port.onRead = [&](uint8_t* p, uint32_t n, uint32_t* d) {
        if (n == lx9comm::kProbeReplyLength) {
            std::memset(p, 0, 21);
            const uint8_t prefix[8] = {0x01, 0, 0, 0, 0x0D, 0x02, 0x00, 0x00};
            std::memcpy(p, prefix, 8);
            p[20] = static_cast<uint8_t>(-(0x01 + 0x0D + 0x02));
            *d = 21;
        } else if (n == lx9comm::kReplyHeader) {
            const uint8_t header[7] = {0x01, 0, 0, 0x80, 0x01, 0x04, 0x28};  // 32769 bytes of body
            std::memcpy(p, header, 7);
            *d = 7;
            bodyStarted = false;
        } else if (!bodyStarted) {
            bodyStarted = true;
            *d = std::min<uint32_t>(n, 13);
            std::memset(p, 0, *d);
        } else {
            clock.now += 5000;  // the rest never comes
            *d = 0;
        }
        return true;
    };
    uint8_t payload[12] = {};
    std::vector<uint8_t> data(32768);
    EXPECT_EQ(LX9_ErrorComm(payload, data.data(), sizeof payload, 20), 0);
    int probes = 0;
    for (const auto& read : port.Reads()) probes += read.size == lx9comm::kProbeReplyLength;
    EXPECT_EQ(probes, 2) << "the second probe finds the budget too short for another repetition";
    EXPECT_LT(clock.now, 5100u) << "one repetition";
}

TEST_F(RecoveryCounts, AFailedReopenEndsTheRecoveryWith260) {
    port.onOpen = [] { return false; };
    uint8_t status[12];
    EXPECT_EQ(LX9_ErrorComm(nullptr, status, 0, 1), 0);
    EXPECT_EQ(ProbesSent(), 6);
    EXPECT_EQ(port.opens, 1 + 5);
    EXPECT_EQ(RT1_GetError(), 260);
}

}  // namespace
