// Framing: command frames split and joined, checksums, garbage, over-long headers; SET WINDOW unpacking.
#include <gtest/gtest.h>

#include "core/device.h"
#include "core/frame_parser.h"
#include "emu_core_test_util.h"

namespace lx9emu {
namespace {

using Kind = ParsedFrame::Kind;

TEST(EmuCoreWire, FramesAreBuiltWithTheChecksumThatZeroesTheSum) {
    EXPECT_EQ(buildCommand(code::TestUnitReady, {}), (std::vector<uint8_t>{1, 0, 0, 0, 0, 2, 0, 0xFD}));
    std::vector<uint8_t> data{1, 2, 3};
    auto reply = buildReply(code::Read, 0x70, data);
    EXPECT_EQ(reply.size(), 7u + 1 + 3 + 1);
    EXPECT_EQ(be32(&reply[1]), 4u);  // status byte plus data
    auto parsed = test::parseReply(reply);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->checksumOk);
    EXPECT_EQ(parsed->status, 0x70);
    EXPECT_EQ(parsed->data, data);
}

TEST(EmuCoreWire, ParserJoinsFramesArrivingByteByByteAndSplitsJoinedOnes) {
    auto window = test::standardWindow(7);
    auto first = buildCommand(code::SetWindow, window);
    auto second = buildCommand(code::TestUnitReady, {});
    FrameParser parser;
    std::vector<ParsedFrame> events;
    for (uint8_t b : first) parser.feed({&b, 1}, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Command);
    EXPECT_EQ(events[0].code, code::SetWindow);
    EXPECT_EQ(events[0].payload, window);
    EXPECT_FALSE(parser.midFrame());

    std::vector<uint8_t> joined{0x00, 0xFF, 0x13};  // noise before a frame is skipped and counted
    joined.insert(joined.end(), second.begin(), second.end());
    joined.insert(joined.end(), first.begin(), first.end());
    events.clear();
    parser.feed(joined, events);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, Kind::Garbage);
    EXPECT_EQ(events[0].length, 3u);
    EXPECT_EQ(events[1].code, code::TestUnitReady);
    EXPECT_EQ(events[2].code, code::SetWindow);
}

TEST(EmuCoreWire, ParserReportsBadChecksumsAndPartialFrames) {
    auto frame = buildCommand(code::Read, test::readPayload(0x80, 0xFFFF, 65548, 0));
    frame.back() ^= 0x40;
    FrameParser parser;
    std::vector<ParsedFrame> events;
    parser.feed(frame, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::BadChecksum);
    EXPECT_EQ(events[0].code, code::Read);
    EXPECT_EQ(events[0].payload.size(), 12u);

    events.clear();
    parser.feed({frame.data(), 9}, events);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(parser.midFrame());
    parser.dropPartial(events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Abandoned);
    EXPECT_EQ(events[0].length, 9u);
    EXPECT_FALSE(parser.midFrame());
}

TEST(EmuCoreWire, ParserDiscardsAfterAnOverlongHeaderUntilToldTheLineIsQuiet) {
    std::vector<uint8_t> largest(kMaxPayload, 0xAB);
    FrameParser parser;
    std::vector<ParsedFrame> events;
    parser.feed(buildCommand(0x0EC1, largest), events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Command);  // the limit itself is still a frame

    events.clear();
    std::vector<uint8_t> huge{1, 0x7F, 0xFF, 0xFF, 0xFF, 0x04, 0x28};
    auto tur = buildCommand(code::TestUnitReady, {});
    huge.insert(huge.end(), tur.begin(), tur.end());
    parser.feed(huge, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::BadLength);
    EXPECT_EQ(events[0].length, 0x7FFFFFFFu);
    EXPECT_TRUE(parser.discarding());
    events.clear();
    parser.feed(tur, events);  // still inside the broken frame as far as the device knows
    EXPECT_TRUE(events.empty());
    parser.endDiscarding();
    parser.feed(tur, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, code::TestUnitReady);
}

TEST(EmuCoreWire, SetWindowUnpacksEveryModeAndRejectsForeignPayloads) {
    ScanRequest r;
    std::string why;
    ASSERT_TRUE(unpackSetWindow(test::windowPayload(0, 0, 2, 25, {100, 200, 300, 400, 0x0A0D}, 0, 0, 64, 112),
                                &r, &why));
    EXPECT_EQ(r.windowMode, 0);
    EXPECT_EQ(r.frame, 25);
    EXPECT_EQ(r.exposures, (std::vector<uint16_t>{100, 200, 300, 400, 0x0A0D}));
    ASSERT_TRUE(unpackSetWindow(test::windowPayload(1, 1, 1, 3, {655}, 0, 0, 256, 896), &r, &why));
    EXPECT_EQ(r.windowMode, 1);
    EXPECT_EQ(r.film, 1);
    EXPECT_EQ(r.pass, 1);
    EXPECT_EQ(r.height, 896);
    ASSERT_TRUE(unpackSetWindow(test::windowPayload(2, 0, 2, 40, {77}, 0, 4, 512, 1792), &r, &why));
    EXPECT_EQ(r.windowMode, 2);
    EXPECT_EQ(r.y, 4);
    EXPECT_EQ(r.width, 512);

    auto good = test::standardWindow(1);
    auto reject = [&](std::vector<uint8_t> payload) { return !unpackSetWindow(payload, &r, &why); };
    EXPECT_TRUE(reject({good.begin(), good.begin() + 45}));  // shorter than the fixed part
    auto extra = good;
    extra.push_back(0);
    EXPECT_TRUE(reject(extra));  // one byte more than its exposure count says
    auto noExposure = good;
    noExposure[45] = 0;
    noExposure.resize(46);
    EXPECT_TRUE(reject(noExposure));
    auto resolution = good;
    resolution[7] = 0xA2;  // the two resolutions differ
    EXPECT_TRUE(reject(resolution));
    auto bits = good;
    bits[29] = 0x82;  // extended mode bits with the standard resolution
    EXPECT_TRUE(reject(bits));
    auto pass = good;
    pass[29] = 0xA3;
    EXPECT_TRUE(reject(pass));
    auto fixed = good;
    fixed[24] = 0x06;
    EXPECT_TRUE(reject(fixed));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace lx9emu
