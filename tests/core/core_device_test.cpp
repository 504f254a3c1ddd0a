// The device command layer and the start-up's device work built natively, against lx9emu through the native
// LX9Comm: the steps in the preparing dialog's order, payloads as packed, the two retry patterns and the
// report of a hardware error. Each suite has an emulator of its own, started with the options named above it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/device_state.h"
#include "device/device_time.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "device/preparation_state.h"
#include "device/startup_steps.h"
#include "emulator.h"
#include "lx9comm.h"
#include "ui/workflows/eject.h"
#include "ui/workflows/scan_setup.h"

namespace {

using lx9coretest::Codes;
using lx9coretest::Emulator;
using Lines = std::vector<std::string>;

// The payload of a logged command ("cmd CODE PAYLOAD status ...").
std::string Payload(const std::string& line) {
    const size_t start = line.find(' ', 4) + 1;
    return line.substr(start, line.find(' ', start) - start);
}

// The codes with their status, "0424/70".
Lines CodesAndStatus(const Lines& commands) {
    Lines out;
    for (const std::string& line : commands) {
        const size_t at = line.find(" status ");
        out.push_back(line.substr(4, 4) + "/" + (at == std::string::npos ? "--" : line.substr(at + 8, 2)));
    }
    return out;
}

template <const char* const* Options, size_t Count>
class OnEmulator : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        emulator = std::make_unique<Emulator>(Lines(Options, Options + Count));
        if (!emulator->Running()) return;
        setenv("LX9_PORT", emulator->Link().c_str(), 1);
        lx9::UseMessages(0);
        lx9::ClearErrorFlags();
        opened = LPT1_Open() == 1;
    }
    static void TearDownTestSuite() {
        LPT1_Close();
        emulator.reset();
    }
    void SetUp() override {
        if (!emulator || !emulator->Running()) GTEST_SKIP() << "LX9EMU is not set or lx9emu did not start";
        ASSERT_TRUE(opened) << "LPT1_Open on " << emulator->Link();
        emulator->Mark();
    }
    static inline std::unique_ptr<Emulator> emulator;
    static inline bool opened = false;
};

// Runs the preparation from 110 to its end, as the dialog's ticks would.
bool Prepare() {
    lx9::prepState = lx9::kPrepWake;
    for (int step = 0; step < 2000; ++step) {
        const int32_t state = lx9::prepState;
        const lx9::StepEnd end = lx9::RunPreparationStep(lx9::WakeTiming{10, 500});
        if (end == lx9::StepEnd::kFailed) return false;
        if (end == lx9::StepEnd::kAdvanced && state == lx9::kPrepFinish) return true;
        if (end == lx9::StepEnd::kStay) lx9::WaitMs(5);
    }
    return false;
}

lx9::ScanWindow IndexGroup(const uint16_t* exposures) {
    return lx9::ScanWindow{lx9::kWindowIndex, 0, 2, 25, 5, exposures, 0, 0, 64, 112};
}

constexpr const char* kStandbyOff[] = {"--standby", "off", "--cartridge", "25"};
using Startup = OnEmulator<kStandbyOff, 4>;

TEST_F(Startup, StepsWakeCalibrateAndReadTheCartridgeInTheDialogsOrder) {
    char id[lx9::kIdTextSize] = {};
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &lx9::deviceBufferSize), 1);
    EXPECT_STREQ(id, lx9::kExpectedDeviceId);
    EXPECT_EQ(lx9::deviceBufferSize, 917504u);
    lx9::filmType = lx9::kFilmNegative;
    ASSERT_TRUE(Prepare());

    EXPECT_EQ(lx9::startScannerWord, 0x4C01) << "the first power period";
    EXPECT_EQ(lx9::startCartridgeWord, 0x0119) << "first insertion of a 25-frame cartridge";
    EXPECT_EQ(lx9::frameCount, 25);
    for (int f = 1; f <= 25; ++f) {
        EXPECT_GT(lx9::frameBaseExposure[f], 0) << f;
        EXPECT_EQ(lx9::frameExposure[f], lx9::frameBaseExposure[f]) << f;
    }
    // Standby on, then the four data blocks in order: calibration, shading reference, status block, film.
    Lines blocks;
    bool standbyOn = false;
    for (const std::string& line : emulator->Commands()) {
        if (line.rfind("cmd 0ec1 00018000", 0) == 0) standbyOn = true;
        if (line.rfind("cmd 0428", 0) == 0) blocks.push_back(Payload(line));
    }
    EXPECT_TRUE(standbyOn) << "the standby switch was off";
    EXPECT_EQ(blocks, (Lines{"8000ffff0001000c00000000",
                             "9000000200000400"
                             "00000000",
                             "8100ffff0000001f00000000", "8200ffff000001e500000000"}));
}

TEST_F(Startup, ScanWindowsAndReadsArePackedAsTheScannerExpects) {
    const uint16_t exposures[5] = {0x0102, 0x0304, 0x0506, 0x0708, 0x090A};
    lx9::ScanWindow group = IndexGroup(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&group), 1);
    EXPECT_EQ(group.exposures, exposures + 5) << "advanced past the values sent";
    ASSERT_EQ(lx9::SetupIndexFrame(7, 1), 1) << "one frame's window, then SCAN";
    const Lines commands = emulator->Commands();
    ASSERT_EQ(Codes(commands), (Lines{"0424", "0424", "031b"}));
    EXPECT_EQ(Payload(commands[0]).size(), 56u * 2);
    EXPECT_EQ(Payload(commands[0]).substr(88), "19050102030405060708090a")
        << "frame, count, values high byte first";
    EXPECT_EQ(Payload(commands[1]).size(), 48u * 2);
    EXPECT_EQ(Payload(commands[1]).substr(58, 2), "01") << "mode bits 0 + negative + measuring pass";
    EXPECT_EQ(Payload(commands[2]), "0100");
}

TEST_F(Startup, EjectWaitsForTheScannerThenEmptiesTheCartridge) {
    lx9::ReportSink sink;
    lx9::EjectCartridgeWhenIdle(&sink);
    EXPECT_FALSE(sink.ended) << sink.text;
    uint8_t ready = 0;
    ASSERT_EQ(lx9::GetDeviceStatus(&ready, &lx9::scannerWord, &lx9::cartridgeWord, nullptr), 1);
    EXPECT_EQ(lx9::cartridgeWord, 0);
    EXPECT_EQ(lx9::CheckCartridgeUnchanged(), 0);
    EXPECT_EQ(lx9::prepState, lx9::kPrepCartridge) << "start-up would wait for a cartridge again";
    const Lines codes = Codes(emulator->Commands());
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.front(), "0200") << "the scanner's state first";
    EXPECT_EQ(Payload(emulator->Commands()[codes.size() - 2]), "00020001") << "then the eject";
}

constexpr const char* kRefusedOnce[] = {"--fault", "refuse 200 code window"};
using Refusal = OnEmulator<kRefusedOnce, 2>;

TEST_F(Refusal, WindowIsSentOnceMoreWhenTheDeviceIsIdleAgain) {
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow group = IndexGroup(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&group), 1);
    const Lines commands = emulator->Commands();
    const Lines codes = CodesAndStatus(commands);
    ASSERT_GE(codes.size(), 5u) << "the device stays busy for 200 ms: several polls";
    EXPECT_EQ(codes.front(), "0424/70");
    EXPECT_EQ(Payload(commands[1]), "0070") << "the sense of status 0x70";
    for (size_t i = 2; i + 1 < codes.size(); ++i) EXPECT_EQ(codes[i], "0200/00");
    EXPECT_EQ(codes.back(), "0424/00");
    EXPECT_EQ(Payload(commands.back()), Payload(commands.front())) << "the same command, resent once";
}

constexpr const char* kStaysBusy[] = {"--fault", "refuse 5000 code window"};
using BusyDevice = OnEmulator<kStaysBusy, 2>;

TEST_F(BusyDevice, RecoveryPollsAreBoundedThenTheLibraryDecides) {
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow group = IndexGroup(exposures);
    lx9::SetRecoverPolling(5, 10);
    const uint32_t start = lx9::TickMs();
    EXPECT_EQ(lx9::SetScanWindow(&group), 0);
    EXPECT_LT(lx9::TickMs() - start, 4000u) << "no waiting for the busy device";
    lx9::SetRecoverPolling(0, 0);
    EXPECT_EQ(lx9::DeviceLastError(), 112);
    // Attempt, sense, five polls; then the library's probe and attempt, twice.
    EXPECT_EQ(CodesAndStatus(emulator->Commands()),
              (Lines{"0424/70", "0203/00", "0200/00", "0200/00", "0200/00", "0200/00", "0200/00", "0200/00",
                     "0424/70", "0200/00", "0424/70"}));
    char text[lx9::kErrorTextSize];
    lx9::DeviceErrorText(static_cast<uint16_t>(lx9::DeviceLastError()), text, sizeof text);
    EXPECT_STREQ(text, "Communication Error.");
}

constexpr const char* kHardwareFault[] = {"--fault", "status 0x71 0x3c code scan times 3"};
using HardwareFault = OnEmulator<kHardwareFault, 2>;

TEST_F(HardwareFault, ReportAsksForTheSenseByteThenClosesThePort) {
    EXPECT_EQ(lx9::StartScan(), 0);
    EXPECT_EQ(lx9::DeviceLastError(), 113);
    lx9::ReportSink sink;
    emulator->Mark();
    lx9::ReportDeviceError(&sink);
    EXPECT_TRUE(sink.ended);
    EXPECT_EQ(sink.lastError, 113);
    EXPECT_STREQ(sink.text, "Hardware Error.  0x3c");
    const Lines commands = emulator->Commands();
    ASSERT_EQ(Codes(commands), (Lines{"0203"}));
    EXPECT_EQ(Payload(commands[0]), "0071");
    EXPECT_EQ(LPT1_Close(), 0) << "the report closed the port already";
}

}  // namespace
