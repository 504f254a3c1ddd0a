// Framed exchanges against a scripted device on a pseudo-terminal: frames byte for byte, replies
// handed over, every last-error value, and the bounds on what a reply may carry.
#include <gtest/gtest.h>

#include "device_peer.h"
#include "fake_seams.h"
#include "lx9comm.h"

using namespace lx9test;

namespace {

constexpr uint16_t kTur = 0x0200, kInquiry = 0x0312, kScan = 0x031B, kSetWindow = 0x0424, kRead = 0x0428;

Bytes Counting(size_t n, uint8_t from = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(from + i);
    return b;
}

Bytes ReadPayload(uint8_t type, uint16_t qualifier, uint32_t count) {
    return {type,
            0,
            static_cast<uint8_t>(qualifier >> 8),
            static_cast<uint8_t>(qualifier),
            static_cast<uint8_t>(count >> 24),
            static_cast<uint8_t>(count >> 16),
            static_cast<uint8_t>(count >> 8),
            static_cast<uint8_t>(count),
            0,
            0,
            0,
            0};
}

class Exchange : public ::testing::Test {
  protected:
    void SetUp() override {
        lx9comm::State().exactRead = false;
        ASSERT_EQ(LPT1_Open(), 1);
    }
    void TearDown() override {
        peer.Join();
        LPT1_Close();
    }
    // Runs one exchange while the device answers the expected command with the given bytes.
    int32_t Run(const Bytes& expected, const Bytes& answer, const Bytes& payload, void* reply,
                int32_t index) {
        peer.Play([=](DevicePeer& d) {
            d.Expect(expected);
            d.Send(answer);
        });
        const int32_t rc = LX9_Communication(payload.empty() ? nullptr : payload.data(), reply,
                                             static_cast<int32_t>(payload.size()), index);
        peer.Join();
        return rc;
    }
    // A plain status poll that must succeed: the link is back in step.
    void ExpectLinkInStep() {
        uint8_t status[12];
        EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0, Bytes(12, 1)), {}, status, 1), 1);
    }
    DevicePeer peer;
};

TEST_F(Exchange, FramesMatchByteForByteAndRepliesAreHandedOver) {
    const Bytes data = Counting(12, 0x40);
    uint8_t status[12] = {};
    EXPECT_EQ(Run({0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xFD}, ReplyFrame(kTur, 0, data), {}, status, 1),
              1);
    EXPECT_EQ(RT1_GetError(), 0);
    EXPECT_EQ(Bytes(status, status + 12), data);

    const Bytes filmRead = {0x82, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0xE5, 0x00, 0x00, 0x00, 0x00};
    const Bytes frame = {0x01, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x28, 0x82, 0x00, 0xFF,
                         0xFF, 0x00, 0x00, 0x01, 0xE5, 0x00, 0x00, 0x00, 0x00, 0x61};
    const Bytes film = Counting(485, 7);
    Bytes got(485);
    EXPECT_EQ(Run(frame, ReplyFrame(kRead, 0, film), filmRead, got.data(), 20), 1);
    EXPECT_EQ(got, film);

    // Unlisted indices send code 0x0000; index is taken as 16 bits.
    EXPECT_EQ(Run(CommandFrame(0x0000), ReplyFrame(0x0000, 0), {}, status, 8), 1);
    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0, data), {}, status, 0x10001), 1);
}

TEST_F(Exchange, RefusalStillCopiesItsDataAndBodyLengthOneCopiesNothing) {
    const Bytes data = Counting(12, 0x90);
    uint8_t status[12] = {};
    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0x70, data), {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 112);
    EXPECT_EQ(Bytes(status, status + 12), data);

    uint8_t guard[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    const Bytes start = {0x01, 0x00};
    EXPECT_EQ(Run(CommandFrame(kScan, start), ReplyFrame(kScan, 0), start, guard, 16), 1);
    EXPECT_EQ(guard[0], 0xAA);
    EXPECT_EQ(Run(CommandFrame(kScan, start), ReplyFrame(kScan, 0), start, nullptr, 16), 1);
}

TEST_F(Exchange, FramingFaultsGiveTheirLastErrors) {
    uint8_t status[12];
    Bytes bad = ReplyFrame(kTur, 0, Bytes(12));
    bad[0] = 0x02;
    EXPECT_EQ(Run(CommandFrame(kTur), bad, {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 127);

    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(0x0203, 0, Bytes(12)), {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 258);  // a wrong echo with a right checksum

    bad = ReplyFrame(kTur, 0, Bytes(12));
    bad.back() ^= 0x01;
    EXPECT_EQ(Run(CommandFrame(kTur), bad, {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 257);

    Bytes noStatus = {0x01, 0, 0, 0, 0, 0x02, 0x00};  // body length 0: not even a status byte
    noStatus.push_back(static_cast<uint8_t>(-(1 + 2)));
    EXPECT_EQ(Run(CommandFrame(kTur), noStatus, {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 127);
    ExpectLinkInStep();
}

TEST_F(Exchange, CallerMistakesAreRefusedBeforeAnythingIsSent) {
    uint8_t status[12];
    for (int32_t index : {32, -1, 0xFFFF}) {
        EXPECT_EQ(LX9_Communication(nullptr, status, 0, index), 0) << index;
        EXPECT_EQ(RT1_GetError(), -1);
    }
    EXPECT_EQ(LX9_Communication(nullptr, status, 4, 1), 0);  // a payload length with no payload
    EXPECT_EQ(LX9_Communication(status, status, -1, 1), 0);
    EXPECT_EQ(RT1_GetError(), -1);
    peer.Play([](DevicePeer& d) { EXPECT_TRUE(d.Receive(1, 150).empty()); });
    peer.Join();
}

TEST_F(Exchange, NoMemoryBeforeOrAfterTheCommandGives261) {
    CountingMemory memory;
    SeamSwap swap(nullptr, nullptr, &memory);
    uint8_t status[12];
    memory.failAt = 1;
    EXPECT_EQ(LX9_Communication(nullptr, status, 0, 1), 0);
    EXPECT_EQ(RT1_GetError(), 261);
    peer.Play([](DevicePeer& d) { EXPECT_TRUE(d.Receive(1, 150).empty()); });
    peer.Join();

    memory.sizes.clear();
    memory.failAt = 2;  // the reply buffer: the reply is still taken off the line
    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0, Bytes(12)), {}, status, 1), 0);
    EXPECT_EQ(RT1_GetError(), 261);
    EXPECT_EQ(memory.sizes, (std::vector<uint32_t>{8, 14}));
    memory.failAt = 0;
    ExpectLinkInStep();
}

TEST_F(Exchange, RepliesLongerThanTheCommandAllowsAreRejectedUntouched) {
    CountingMemory memory;
    SeamSwap swap(nullptr, nullptr, &memory);
    uint8_t buf[32];
    std::fill(std::begin(buf), std::end(buf), 0xCC);
    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0, Bytes(13, 1)), {}, buf, 1), 0);
    EXPECT_EQ(RT1_GetError(), 127);
    EXPECT_EQ(buf[0], 0xCC);
    ExpectLinkInStep();

    const Bytes window(46, 0);
    EXPECT_EQ(Run(CommandFrame(kSetWindow, window), ReplyFrame(kSetWindow, 0, {9}), window, buf, 17), 0);
    EXPECT_EQ(RT1_GetError(), 127);
    EXPECT_EQ(Run(CommandFrame(kTur), ReplyFrame(kTur, 0, Bytes(12)), {}, nullptr, 1), 0);
    EXPECT_EQ(RT1_GetError(), 127);  // no destination: no data may come

    const Bytes ten = ReadPayload(0x81, 0xFFFF, 10);
    EXPECT_EQ(Run(CommandFrame(kRead, ten), ReplyFrame(kRead, 0, Bytes(11, 2)), ten, buf, 20), 0);
    EXPECT_EQ(buf[10], 0xCC);
    EXPECT_EQ(Run(CommandFrame(kRead, ten), ReplyFrame(kRead, 0, Bytes(10, 2)), ten, buf, 20), 1);
    EXPECT_EQ(buf[9], 2);
    EXPECT_EQ(buf[10], 0xCC);

    // An index image: READ type 0, qualifier 1, count 1 carries one 21504-byte image.
    const Bytes index = ReadPayload(0x00, 1, 1);
    Bytes image(21504);
    EXPECT_EQ(Run(CommandFrame(kRead, index), ReplyFrame(kRead, 0, Counting(21504)), index, image.data(), 20),
              1);
    EXPECT_EQ(image, Counting(21504));

    // A corrupt huge body length is refused from the header alone, with no buffer for it.
    memory.sizes.clear();
    const Bytes huge = {0x01, 0xFF, 0xFF, 0xFF, 0xF0, 0x02, 0x00};
    EXPECT_EQ(Run(CommandFrame(kTur), huge, {}, buf, 1), 0);
    EXPECT_EQ(RT1_GetError(), 127);
    EXPECT_EQ(memory.sizes, std::vector<uint32_t>{8});
    ExpectLinkInStep();
}

Bytes InquiryData(bool exact, size_t size = 72) {
    const std::string id = "MFG:NORVIK;MDL:LX-9";
    Bytes d(size, 0);
    const size_t n = id.size() + 2;
    d[3] = 0;
    d[4] = static_cast<uint8_t>(n);
    std::copy(id.begin(), id.end(), d.begin() + 5);
    if (n + 12 < size) d[n + 12] = exact ? 0x80 : 0x7F;
    return d;
}

TEST_F(Exchange, IdentifyReplySetsExactReadMode) {
    uint8_t id[72];
    EXPECT_EQ(Run(CommandFrame(kInquiry), ReplyFrame(kInquiry, 0, InquiryData(true)), {}, id, 3), 1);
    EXPECT_TRUE(lx9comm::State().exactRead);
    EXPECT_EQ(Run(CommandFrame(kInquiry), ReplyFrame(kInquiry, 0, InquiryData(false)), {}, id, 3), 1);
    EXPECT_FALSE(lx9comm::State().exactRead);
    lx9comm::State().exactRead = true;
    // Too short to carry the flag: plain mode, and nothing read past the reply.
    EXPECT_EQ(Run(CommandFrame(kInquiry), ReplyFrame(kInquiry, 0, InquiryData(true, 33)), {}, id, 3), 1);
    EXPECT_FALSE(lx9comm::State().exactRead);
    // Exact mode survives a close and re-open.
    lx9comm::State().exactRead = true;
    LPT1_Close();
    ASSERT_EQ(LPT1_Open(), 1);
    EXPECT_TRUE(lx9comm::State().exactRead);
}

TEST_F(Exchange, ExactReadFailsAReplyThatPausesMidwayThePlainModeWaits) {
    const Bytes payload = ReadPayload(0x80, 0xFFFF, 64);
    const Bytes reply = ReplyFrame(kRead, 0, Counting(64));
    auto split = [&](DevicePeer& d) {
        d.Expect(CommandFrame(kRead, payload));
        d.Send(Bytes(reply.begin(), reply.begin() + 30));
        DevicePeer::Pause(150);  // longer than the 35 ms between bytes
        d.Send(Bytes(reply.begin() + 30, reply.end()));
    };
    Bytes got(64);
    peer.Play(split);
    EXPECT_EQ(LX9_Communication(payload.data(), got.data(), 12, 20), 1);
    peer.Join();
    EXPECT_EQ(got, Counting(64));

    lx9comm::State().exactRead = true;
    peer.Play(split);
    EXPECT_EQ(LX9_Communication(payload.data(), got.data(), 12, 20), 0);
    EXPECT_EQ(RT1_GetError(), -1);
    peer.Join();
    lx9comm::State().exactRead = false;
}

TEST(PortOpen, MissingPortGives260AndExchangesOnAClosedPortFail) {
    setenv("LX9_PORT", "/nonexistent/lx9-port", 1);
    EXPECT_EQ(LPT1_Open(), 0);
    EXPECT_EQ(RT1_GetError(), 260);
    uint8_t status[12];
    EXPECT_EQ(LX9_Communication(nullptr, status, 0, 1), 0);
    EXPECT_EQ(RT1_GetError(), -1);
    EXPECT_EQ(LPT1_Close(), 0);
}

}  // namespace
