// The transport above the seam: pieces, time-out choice, retries and the re-open, with a scripted port
// and a clock that does not wait.
#include <gtest/gtest.h>

#include <numeric>

#include "fake_seams.h"
#include "lx9comm.h"
#include "transport.h"

using lx9comm::kLongTimeouts;
using lx9comm::kShortTimeouts;
using namespace lx9test;

namespace {

class Transport : public ::testing::Test {
  protected:
    Transport() { port.Open(); }
    FakePort port;
    FakeClock clock;
    SeamSwap swap{&port, &clock, nullptr};

    // The device delivers whatever is asked at once, counting bytes 0, 1, 2, ...
    void DeliverAll() {
        port.onRead = [this](uint8_t* p, uint32_t n, uint32_t* d) {
            for (uint32_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(next_++);
            *d = n;
            return true;
        };
    }
    std::vector<uint32_t> ReadSizes() const {
        std::vector<uint32_t> sizes;
        for (const auto& c : port.Reads()) sizes.push_back(c.size);
        return sizes;
    }

  private:
    uint32_t next_ = 0;
};

TEST_F(Transport, WritesInPiecesOfSixteenAndContinuesAfterShortWrites) {
    std::vector<uint8_t> data(40);
    std::iota(data.begin(), data.end(), 0);
    ASSERT_TRUE(lx9comm::PortWrite(40, data.data()));
    ASSERT_EQ(port.calls.size(), 3u);
    EXPECT_EQ(port.calls[0].size, 16u);
    EXPECT_EQ(port.calls[1].size, 16u);
    EXPECT_EQ(port.calls[2].size, 8u);
    EXPECT_EQ(port.written, data);
    EXPECT_TRUE(clock.sleeps.empty());

    port.calls.clear();
    port.written.clear();
    port.onWrite = [](const uint8_t*, uint32_t n, uint32_t* d) {
        *d = n > 10 ? 10 : n;
        return true;
    };
    ASSERT_TRUE(lx9comm::PortWrite(20, data.data()));
    ASSERT_EQ(port.calls.size(), 2u);
    EXPECT_EQ(port.calls[1].size, 10u);  // the remainder, not a fresh 16
    EXPECT_EQ(port.written, std::vector<uint8_t>(data.begin(), data.begin() + 20));
}

TEST_F(Transport, WriteFailsOnPlatformErrorOrNothingWritten) {
    const uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_TRUE(lx9comm::PortWrite(0, data));
    EXPECT_TRUE(port.calls.empty());
    port.onWrite = [](const uint8_t*, uint32_t, uint32_t* d) {
        *d = 0;
        return true;
    };
    EXPECT_FALSE(lx9comm::PortWrite(4, data));
    port.onWrite = [](const uint8_t*, uint32_t n, uint32_t* d) {
        *d = n;
        return false;
    };
    EXPECT_FALSE(lx9comm::PortWrite(4, data));
    EXPECT_EQ(lx9comm::State().lastError, 0);  // the transport itself records nothing
}

TEST_F(Transport, ReadsInPiecesOf15360UnderTheSetChosenBySize) {
    DeliverAll();
    std::vector<uint8_t> buf(40000);
    ASSERT_TRUE(lx9comm::PortRead(40000, buf.data()));
    EXPECT_EQ(ReadSizes(), (std::vector<uint32_t>{15360, 15360, 9280}));
    for (const auto& c : port.Reads()) EXPECT_EQ(c.set, kLongTimeouts);
    EXPECT_EQ(port.timeoutCalls, 1);  // a set already in force is not applied again
    EXPECT_EQ(buf[15360], static_cast<uint8_t>(15360));
    EXPECT_EQ(buf[39999], static_cast<uint8_t>(39999));

    port.calls.clear();
    ASSERT_TRUE(lx9comm::PortRead(31, buf.data()));
    ASSERT_TRUE(lx9comm::PortRead(32, buf.data()));
    EXPECT_EQ(port.Reads()[0].set, kShortTimeouts);
    EXPECT_EQ(port.Reads()[1].set, kLongTimeouts);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(Transport, SilentDeviceGetsSixAttemptsSeventyMillisecondsApart) {
    uint8_t buf[100];
    EXPECT_FALSE(lx9comm::PortRead(1, buf));
    EXPECT_EQ(ReadSizes(), std::vector<uint32_t>(6, 1));
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>(5, 70));

    // A large piece: the first retry still waits under the long set but asks for 16 bytes only.
    port.calls.clear();
    clock.sleeps.clear();
    EXPECT_FALSE(lx9comm::PortRead(100, buf));
    const auto reads = port.Reads();
    ASSERT_EQ(reads.size(), 6u);
    EXPECT_EQ(reads[0].size, 100u);
    EXPECT_EQ(reads[0].set, kLongTimeouts);
    EXPECT_EQ(reads[1].size, 16u);
    EXPECT_EQ(reads[1].set, kLongTimeouts);
    for (size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(reads[i].size, 16u);
        EXPECT_EQ(reads[i].set, kShortTimeouts);
    }
}

TEST_F(Transport, TrickleNeverExhaustsAttemptsButSixthAttemptAlwaysFails) {
    // One byte per call after a silent call each time: every byte starts a fresh piece.
    int call = 0;
    port.onRead = [&](uint8_t* p, uint32_t, uint32_t* d) {
        *d = (call++ % 2 == 1) ? 1 : 0;
        if (*d) p[0] = 0xAB;
        return true;
    };
    uint8_t buf[10] = {};
    ASSERT_TRUE(lx9comm::PortRead(10, buf));
    EXPECT_EQ(port.Reads().size(), 20u);
    EXPECT_EQ(buf[9], 0xAB);

    // Data that only comes on the sixth attempt is never used.
    call = 0;
    port.onRead = [&](uint8_t* p, uint32_t n, uint32_t* d) {
        *d = ++call == 6 ? n : 0;
        if (*d) std::fill(p, p + n, 1);
        return true;
    };
    EXPECT_FALSE(lx9comm::PortRead(4, buf));
    EXPECT_EQ(call, 6);
}

// A device that trickles a whole image block (a byte every 50 ms, each one starting a fresh piece) would hold
// the application for half an hour; one that stops in the middle of a block would cost two long waits and
// four short ones. Blocks that come at a parallel port's pace, or after the whole first-byte wait, still
// read.
TEST_F(Transport, AReplyThatTricklesOrStallsGivesUpEarly) {
    port.onRead = [&](uint8_t* p, uint32_t, uint32_t* d) {
        clock.now += 50;
        p[0] = 0x5A;
        *d = 1;
        return true;
    };
    std::vector<uint8_t> block(32768);
    EXPECT_FALSE(lx9comm::PortRead(static_cast<uint32_t>(block.size()), block.data()));
    EXPECT_LE(clock.now, 600u) << "half a second of bytes shows the pace";

    // Some bytes, then nothing: one long wait, no second one.
    clock.now = 0;
    port.calls.clear();
    int call = 0;
    port.onRead = [&](uint8_t* p, uint32_t n, uint32_t* d) {
        *d = call++ == 0 ? std::min<uint32_t>(n, 13) : 0;
        clock.now += *d ? 1 : 5000;
        std::fill(p, p + *d, 7);
        return true;
    };
    EXPECT_FALSE(lx9comm::PortRead(static_cast<uint32_t>(block.size()), block.data()));
    EXPECT_EQ(port.Reads().size(), 2u);
    EXPECT_LE(clock.now, 5001u);

    // 50 bytes a millisecond (a slow port), in pieces that take their time: whole.
    clock.now = 0;
    DeliverAll();
    auto pass = port.onRead;
    port.onRead = [&](uint8_t* p, uint32_t n, uint32_t* d) {
        clock.now += n / 50 + 1;
        return pass(p, n, d);
    };
    EXPECT_TRUE(lx9comm::PortRead(static_cast<uint32_t>(block.size()), block.data()));

    // The whole first-byte wait, then the block: whole.
    clock.now = 0;
    bool first = true;
    port.onRead = [&](uint8_t* p, uint32_t n, uint32_t* d) {
        if (first) {
            first = false;
            clock.now += 5000;
            *d = 0;
            return true;
        }
        return pass(p, n, d);
    };
    EXPECT_TRUE(lx9comm::PortRead(static_cast<uint32_t>(block.size()), block.data()));
}

TEST_F(Transport, ExactReadFailsAShortPieceWithoutRetry) {
    bool first = true;  // one byte short the first time, then whatever is asked
    port.onRead = [&](uint8_t*, uint32_t n, uint32_t* d) {
        *d = first ? n - 1 : n;
        first = false;
        return true;
    };
    uint8_t buf[64];
    lx9comm::State().exactRead = true;
    EXPECT_FALSE(lx9comm::PortRead(64, buf));
    EXPECT_EQ(port.Reads().size(), 1u);
    EXPECT_TRUE(clock.sleeps.empty());

    lx9comm::State().exactRead = false;
    port.calls.clear();
    first = true;
    EXPECT_TRUE(lx9comm::PortRead(64, buf));  // the same device is fine in the plain mode: 63 + 1
    EXPECT_EQ(port.Reads().size(), 2u);
}

TEST_F(Transport, ReadFailsOnPlatformErrorAndOnAnImpossibleCount) {
    uint8_t buf[8];
    port.onRead = [](uint8_t*, uint32_t, uint32_t* d) {
        *d = 0;
        return false;
    };
    EXPECT_FALSE(lx9comm::PortRead(8, buf));
    EXPECT_EQ(port.Reads().size(), 1u);
    port.onRead = [](uint8_t*, uint32_t n, uint32_t* d) {
        *d = n + 1;  // a port claiming more than it was asked for must not move the pointer past the buffer
        return true;
    };
    EXPECT_FALSE(lx9comm::PortRead(8, buf));
}

TEST_F(Transport, OpenAppliesTheShortSetAndReopenTriesFiveTimes) {
    port.Close();
    ASSERT_EQ(LPT1_Open(), 1);
    EXPECT_EQ(port.opens, 2);
    uint8_t b;
    port.onRead = [](uint8_t*, uint32_t, uint32_t* d) {
        *d = 1;
        return true;
    };
    port.calls.clear();
    ASSERT_TRUE(lx9comm::PortWrite(1, &b));
    EXPECT_EQ(port.calls[0].set, kShortTimeouts);

    // A second open releases our own handle first instead of leaking it.
    const int closes = port.closes;
    ASSERT_EQ(LPT1_Open(), 1);
    EXPECT_EQ(port.closes, closes + 1);
    EXPECT_EQ(LPT1_Close(), 1);
    EXPECT_EQ(LPT1_Close(), 0);

    int opens = 0;
    port.onOpen = [&] { return ++opens == 3; };
    EXPECT_TRUE(lx9comm::PortReopen());
    EXPECT_EQ(opens, 3);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>(3, 100));

    clock.sleeps.clear();
    port.onOpen = [] { return false; };
    EXPECT_FALSE(lx9comm::PortReopen());
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>(5, 100));
    EXPECT_EQ(RT1_GetError(), 260);
    EXPECT_EQ(LPT1_Open(), 0);
}

TEST(LengthPackers, BigEndianBothWays) {
    const uint32_t v = 0x12345678;
    uint8_t b[4] = {};
    SetLength(&v, b);
    EXPECT_EQ(b[0], 0x12);
    EXPECT_EQ(b[3], 0x78);
    const uint8_t high[4] = {0xFF, 0x00, 0x01, 0xE5};
    uint32_t out = 0;
    EXPECT_EQ(GetLength(&out, high), &out);
    EXPECT_EQ(out, 0xFF0001E5u);
    EXPECT_EQ(GetLength(nullptr, high), nullptr);
    SetLength(nullptr, b);  // ignored, no crash
}

}  // namespace
