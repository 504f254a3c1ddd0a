// The command layer against lx9emu on LPT1: payloads byte for byte from the emulator's command log, replies
// unpacked, and both retry patterns driven by the emulator's faults. Each suite runs against its own
// emulator, started with the options named above it (device_tests.cmake).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/messages.h"
#include "device/startup_data.h"
#include "ds_device_emulator.h"
#include "ds_device_support.h"
#include "lx9comm.h"
#include "twain/notify.h"
#include "twain/source_state.h"

namespace {

using lx9test::LogLine;

// Hex with blanks for reading; the log has none.
std::string Bytes(std::string spaced) {
    spaced.erase(std::remove(spaced.begin(), spaced.end(), ' '), spaced.end());
    return spaced;
}

std::vector<std::string> Codes(const std::vector<LogLine>& lines) {
    std::vector<std::string> codes;
    for (const LogLine& l : lines) codes.push_back(l.code + (l.status.empty() ? "" : "/" + l.status));
    return codes;
}

class EmulatorTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        lx9::SetManagerLibraryName("no_such_manager.dll");  // reports send no close request here
        ASSERT_EQ(LPT1_Open(), 1) << "LPT1 must lead to the emulator (tools/with-emulator.sh)";
    }
    static void TearDownTestSuite() {
        LPT1_Close();
        lx9::SetManagerLibraryName(nullptr);
    }
    void SetUp() override {
        ASSERT_TRUE(log.Available()) << "LX9_EMU_LOG names the emulator's command log";
        log.Mark();
    }
    // The one command logged since the mark: its code, payload and status.
    void ExpectOnly(const char* code, const std::string& payload, const char* status = "00") {
        const auto lines = log.Since();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].code, code);
        EXPECT_EQ(lines[0].payload, Bytes(payload));
        EXPECT_EQ(lines[0].status, status);
        log.Mark();
    }
    lx9test::EmulatorLog log;
    const uint16_t groupExposures[5] = {300, 0x0102, 302, 0xFFFF, 0};
    lx9::ScanWindow indexGroup{lx9::kWindowIndex, 0, 2, 25, 5, groupExposures, 0, 0, 64, 112};
};

// lx9emu --fast --standby off --cartridge 25
using Commands = EmulatorTest;

TEST_F(Commands, StatusStandbyOnAndIdentification) {
    uint8_t ready = 0, preparation = 0xEE;
    lx9::scannerWord = 0xEEEE;
    ASSERT_EQ(lx9::GetDeviceStatus(&ready, &lx9::scannerWord, &lx9::cartridgeWord, &preparation), 1);
    ExpectOnly("0200", "-");
    EXPECT_EQ(ready & lx9::kReadyIdle, 1);
    EXPECT_EQ(lx9::scannerWord, 0) << "the standby switch is off";
    EXPECT_GT(lx9::cartridgeWord, 0) << "a usable cartridge";

    ASSERT_EQ(lx9::DeviceControl(lx9::StandbyOn), 1);
    ExpectOnly("0ec1", "0001 8000");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    EXPECT_NE(lx9::scannerWord, 0) << "the scanner's power-on period";

    log.Mark();
    char id[lx9::kIdTextSize];
    std::fill(std::begin(id), std::end(id), 'x');
    uint32_t bufferSize = 0;
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &bufferSize), 1);
    ExpectOnly("0312", "-");
    EXPECT_STREQ(id, "MFG:NORVIK;MDL:LX-9");
    EXPECT_EQ(bufferSize, 0xE0000u);

    uint8_t sense = 0xEE;
    ASSERT_EQ(lx9::RequestSense(0x0071, &sense), 1);
    ExpectOnly("0203", "0071");
    EXPECT_EQ(sense, 0) << "nothing was waiting";
}

TEST_F(Commands, ReadsOfTheStartUpBlocks) {
    ASSERT_TRUE(
        lx9test::WaitForPreparation(lx9::kPrepCalibration | lx9::kPrepStatusBlock | lx9::kPrepFilmInfo));
    log.Mark();
    std::vector<uint8_t> data(65548);
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadFilmInfo, 0xFFFF, 485, 0, data.data()), 1);
    ExpectOnly("0428", "82 00 ffff 000001e5 00000000");
    ASSERT_TRUE(lx9::UnpackFilmInformation(data.data()));
    EXPECT_EQ(lx9::frameCount, 25);
    EXPECT_EQ(lx9::filmWord, data[2] << 8 | data[3]);
    EXPECT_EQ(lx9::frameHighlights[25][0], data[5 + 24 * 12 + 10]) << "blue is record byte 10";
    EXPECT_EQ(lx9::frameBrightness[1], (data[5 + 7] << 8 | data[5 + 8]) / 168);
    for (uint8_t count : {0, 41}) {
        data[4] = count;  // the block has records for 40 frames only
        EXPECT_FALSE(lx9::UnpackFilmInformation(data.data()));
    }
    EXPECT_EQ(lx9::frameCount, 25) << "a refused block changes nothing";
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadCalibration, 0xFFFF, 65548, 0, data.data()), 1);
    ExpectOnly("0428", "80 00 ffff 0001000c 00000000");
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadStatusBlock, 0xFFFF, 31, 0, data.data()), 1);
    ExpectOnly("0428", "81 00 ffff 0000001f 00000000");
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadShadingReference, 2, 1024, 0, data.data()), 1);
    ExpectOnly("0428", "90 00 0002 00000400 00000000");
}

TEST_F(Commands, WindowsScanAndImageReads) {
    ASSERT_EQ(lx9::SetScanWindow(&indexGroup), 1);
    ExpectOnly("0424",
               "00000000 0034 0034 00000000 00000000 00000040 00000070 05 08 0001 00 02 07030000 00000000"
               "000000000000 19 05 012c 0102 012e ffff 0000");  // 56 bytes
    EXPECT_EQ(indexGroup.exposures, groupExposures + 5) << "the record's pointer moves past the values sent";
    ASSERT_EQ(lx9::StartScan(), 1);
    ExpectOnly("031b", "0100");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    std::vector<uint8_t> raw(21504);
    for (uint32_t s = 0; s < 5; ++s) {
        log.Mark();
        ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadImage, 1, 1, s, raw.data()), 1);
        ExpectOnly("0428", "00 00 0001 00000001 0000000" + std::to_string(s));
    }

    const uint16_t exposure = 0x0234;
    lx9::ScanWindow standard{lx9::kWindowStandard, 0, 2, 7, 1, &exposure, 0, 0, 256, 896};
    ASSERT_EQ(lx9::SetScanWindow(&standard), 1);
    ExpectOnly("0424",
               "00000000 01a1 01a1 00000000 00000000 00000100 00000380 05 08 0000 00 a2 27007200 00000000"
               "000000000000 07 01 0234");  // 48 bytes
    lx9::ScanWindow extended{lx9::kWindowExtended, 0, 1, 7, 1, &exposure, 128, 448, 256, 896};
    ASSERT_EQ(lx9::SetScanWindow(&extended), 1);
    ExpectOnly("0424",
               "00000000 0343 0343 00000080 000001c0 00000100 00000380 05 08 0000 00 81 ff000000 00000000"
               "000000000000 07 01 0234");
}

TEST_F(Commands, RequestsThatCannotBePackedSendNothing) {
    lx9::ScanWindow badMode = indexGroup;
    badMode.windowMode = 3;
    uint8_t buffer[16];
    EXPECT_EQ(lx9::SetScanWindow(&badMode), 0);
    EXPECT_EQ(lx9::ReadDeviceData(5, 0, 16, 0, buffer), 0);
    EXPECT_EQ(lx9::ReadDeviceData(-1, 0, 16, 0, buffer), 0);
    EXPECT_EQ(lx9::DeviceControl(121), 0);
    EXPECT_TRUE(log.Since().empty());
}

TEST_F(Commands, EjectLeavesNoCartridge) {
    ASSERT_EQ(lx9::DeviceControl(lx9::EjectCartridge), 1);
    ExpectOnly("0ec1", "0002 0001");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    EXPECT_EQ(lx9::cartridgeWord, 0);
}

// lx9emu --fast --standby on --fault "refuse 200 code window"
using Refusal = EmulatorTest;

TEST_F(Refusal, WindowIsSentOnceMoreWhenTheDeviceIsIdleAgain) {
    ASSERT_EQ(lx9::SetScanWindow(&indexGroup), 1);
    auto codes = Codes(log.Since());
    ASSERT_GE(codes.size(), 5u) << "the device stays busy for 200 ms: several polls";
    EXPECT_EQ(codes.front(), "0424/70");
    EXPECT_EQ(log.Since()[1].payload, "0070") << "the sense of status 0x70";
    EXPECT_TRUE(std::all_of(codes.begin() + 2, codes.end() - 1, [](auto& c) { return c == "0200/00"; }));
    EXPECT_EQ(codes.back(), "0424/00");
    EXPECT_EQ(log.Since().back().payload, log.Since().front().payload) << "the same command, resent once";
}

// lx9emu --fast --standby on --fault "refuse 5000 code window"
using BusyDevice = EmulatorTest;

TEST_F(BusyDevice, RecoveryPollsAreBoundedThenTheLibraryDecides) {
    lx9::SetRecoverPolling(5, 10);
    const DWORD start = GetTickCount();
    EXPECT_EQ(lx9::SetScanWindow(&indexGroup), 0);
    EXPECT_LT(GetTickCount() - start, 4000u) << "no waiting for the busy device";
    lx9::SetRecoverPolling(0, 0);
    EXPECT_EQ(lx9::DeviceLastError(), 112);
    // Attempt, sense, five polls; then the library's probe and attempt, twice.
    const std::vector<std::string> expected = {"0424/70", "0203/00", "0200/00", "0200/00",
                                               "0200/00", "0200/00", "0200/00", "0200/00",
                                               "0424/70", "0200/00", "0424/70"};
    EXPECT_EQ(Codes(log.Since()), expected);
}

// lx9emu --fast --standby on --fault "status 0x71 5 code window" --fault "checksum code inquiry"
using LibraryRecovery = EmulatorTest;

TEST_F(LibraryRecovery, HardwareStatusAndBrokenRepliesGoToTheLibrary) {
    ASSERT_EQ(lx9::SetScanWindow(&indexGroup), 1);
    EXPECT_EQ(Codes(log.Since()), (std::vector<std::string>{"0424/71", "0200/00", "0424/00"}))
        << "no sense request for 113: the library's probe, then the command again";
    log.Mark();
    char id[lx9::kIdTextSize];
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &lx9::deviceBufferSize), 1);
    EXPECT_STREQ(id, lx9::kExpectedDeviceId);
    EXPECT_EQ(Codes(log.Since()), (std::vector<std::string>{"0312/00", "0200/00", "0312/00"}))
        << "the query with the broken checksum is repeated after the probe";
}

// lx9emu --fast --standby on --fault "status 0x71 5 code window times 3" --fault "status 0x71 0x3c code scan
// times 3"
using HardwareReport = EmulatorTest;

TEST_F(HardwareReport, SenseByteIsPrintedAsTwoHexDigits) {
    const std::pair<uint8_t, const char*> cases[] = {{0, "Hardware Error.  0x 5"},
                                                     {2, "Hardwarefehler.  0x3c"}};
    for (auto [language, text] : cases) {
        ASSERT_EQ(language == 0 ? lx9::SetScanWindow(&indexGroup) : lx9::StartScan(), 0);
        EXPECT_EQ(lx9::DeviceLastError(), 113);
        lx9::language = language;
        lx9::LoadMessages();
        lx9test::BoxReader reader;
        log.Mark();
        lx9::ReportDeviceError(nullptr);
        ASSERT_EQ(reader.Boxes().size(), 1u);
        EXPECT_EQ(reader.Boxes()[0].text, text);
        ExpectOnly("0203", "0071");
        ASSERT_EQ(LPT1_Open(), 1) << "the report closed the port";
    }
    lx9::language = 0;
    lx9::LoadMessages();
}

// lx9emu --fast --id "MFG:NORVIK;MDL:LX-9;VER:2.10"
using LongerIdentification = EmulatorTest;

TEST_F(LongerIdentification, IsCutToTheExpectedLength) {
    char id[lx9::kIdTextSize];
    uint32_t bufferSize = 0;
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &bufferSize), 1);
    EXPECT_STREQ(id, "MFG:NORVIK;MDL:LX-9");
    EXPECT_EQ(bufferSize, 0xE0000u) << "found behind the longer identification";
}

// lx9emu --fast --id <60 characters>
using OversizedIdentification = EmulatorTest;

TEST_F(OversizedIdentification, IsACommunicationError) {
    char id[lx9::kIdTextSize];
    EXPECT_EQ(lx9::Inquire(id, sizeof id, &lx9::deviceBufferSize), 0);
    EXPECT_STREQ(id, "");
    char text[lx9::kErrorTextSize];
    lx9::DeviceErrorText(static_cast<uint16_t>(lx9::DeviceLastError()), text, sizeof text);
    EXPECT_STREQ(text, "Communication Error.");
}

}  // namespace
