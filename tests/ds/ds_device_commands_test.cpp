// The command layer against lx9emu on LPT1: every payload byte for byte in the emulator's command log, the
// replies unpacked, and both retry patterns driven by the emulator's faults. Each suite needs the emulator
// started with the options named above it (device_tests.cmake runs one emulator per suite).
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

using lx9test::EmulatorLog;
using lx9test::LogLine;

size_t Count(const std::vector<LogLine>& lines, const std::string& code) {
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const LogLine& l) { return l.code == code; }));
}

class EmulatorTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        lx9::SetManagerLibraryName("no_such_manager.dll");  // reports send no close request here
        ASSERT_EQ(LPT1_Open(), 1) << "LPT1 must lead to the emulator (run through tools/with-emulator.sh)";
    }
    static void TearDownTestSuite() {
        LPT1_Close();
        lx9::SetManagerLibraryName(nullptr);
    }
    void SetUp() override {
        ASSERT_TRUE(log.Available()) << "LX9_EMU_LOG names the emulator's command log";
        log.Mark();
    }
    // The one command logged since the mark.
    LogLine Only() {
        const auto lines = log.Since();
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? LogLine{} : lines.back();
    }
    EmulatorLog log;
};

lx9::ScanWindow IndexGroupWindow(const uint16_t* exposures) {
    return {lx9::kWindowIndex, 0, 2, 25, 5, exposures, 0, 0, 64, 112};
}

// lx9emu --fast --standby off --cartridge 25
using Commands = EmulatorTest;

TEST_F(Commands, StatusRequestUnpacksBothWords) {
    uint8_t ready = 0xEE, preparation = 0xEE;
    lx9::scannerWord = 0xEEEE;
    lx9::cartridgeWord = 0;
    ASSERT_EQ(lx9::GetDeviceStatus(&ready, &lx9::scannerWord, &lx9::cartridgeWord, &preparation), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.code, "0200");
    EXPECT_EQ(line.payload, "-");
    EXPECT_EQ(line.status, "00");
    EXPECT_EQ(line.dataBytes, 12u);
    EXPECT_EQ(ready & lx9::kReadyIdle, lx9::kReadyIdle);
    EXPECT_EQ(lx9::scannerWord, 0) << "the standby switch is off";
    EXPECT_GT(lx9::cartridgeWord, 0) << "a usable cartridge is loaded";
    // Every output is optional.
    EXPECT_EQ(lx9::GetDeviceStatus(nullptr, nullptr, nullptr, nullptr), 1);
}

TEST_F(Commands, StandbyOnThenIdentification) {
    ASSERT_EQ(lx9::DeviceControl(lx9::StandbyOn), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.code, "0ec1");
    EXPECT_EQ(line.payload, "00018000");
    EXPECT_EQ(line.status, "00");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    EXPECT_NE(lx9::scannerWord, 0) << "the scanner reports its power-on period";

    log.Mark();
    char id[lx9::kIdTextSize];
    std::fill(std::begin(id), std::end(id), 'x');
    uint32_t bufferSize = 0;
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &bufferSize), 1);
    const LogLine inquiry = Only();
    EXPECT_EQ(inquiry.code, "0312");
    EXPECT_EQ(inquiry.payload, "-");
    EXPECT_EQ(inquiry.dataBytes, 34u);
    EXPECT_STREQ(id, "MFG:NORVIK;MDL:LX-9");
    EXPECT_EQ(bufferSize, 0xE0000u);
    EXPECT_EQ(lx9::Inquire(id, 71, &bufferSize), 0) << "a text buffer below 72 bytes is refused";
}

TEST_F(Commands, SenseRequestCarriesTheStatusCode) {
    uint8_t sense = 0xEE;
    ASSERT_EQ(lx9::RequestSense(0x0071, &sense), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.code, "0203");
    EXPECT_EQ(line.payload, "0071");
    EXPECT_EQ(line.dataBytes, 1u);
    EXPECT_EQ(sense, 0) << "nothing was waiting";
}

TEST_F(Commands, ReadsOfTheStartUpBlocks) {
    ASSERT_TRUE(
        lx9test::WaitForPreparation(lx9::kPrepCalibration | lx9::kPrepStatusBlock | lx9::kPrepFilmInfo));
    struct Case {
        int type;
        uint16_t qualifier;
        uint32_t count;
        const char* payload;
    };
    const Case cases[] = {
        {lx9::kReadFilmInfo, 0xFFFF, 485, "8200ffff000001e500000000"},
        {lx9::kReadCalibration, 0xFFFF, 65548, "8000ffff0001000c00000000"},
        {lx9::kReadStatusBlock, 0xFFFF, 31, "8100ffff0000001f00000000"},
        {lx9::kReadShadingReference, 2, 1024,
         "9000000200000400"
         "00000000"},
    };
    for (const Case& c : cases) {
        log.Mark();
        std::vector<uint8_t> data(c.count);
        ASSERT_EQ(lx9::ReadDeviceData(c.type, c.qualifier, c.count, 0, data.data()), 1) << c.payload;
        const LogLine line = Only();
        EXPECT_EQ(line.code, "0428");
        EXPECT_EQ(line.payload, c.payload);
        EXPECT_EQ(line.dataBytes, c.count);
        if (c.type == lx9::kReadFilmInfo) {
            ASSERT_TRUE(lx9::UnpackFilmInformation(data.data()));
            EXPECT_EQ(lx9::frameCount, 25);
            EXPECT_EQ(lx9::filmWord, data[2] << 8 | data[3]);
            EXPECT_EQ(lx9::frameHighlights[25][0], data[5 + 24 * 12 + 10]);
            EXPECT_EQ(lx9::frameBrightness[1], (data[5 + 7] << 8 | data[5 + 8]) / 168);
        }
    }
}

TEST_F(Commands, IndexGroupWindowScanAndReads) {
    const uint16_t exposures[5] = {300, 0x0102, 302, 0xFFFF, 0};
    lx9::ScanWindow window = IndexGroupWindow(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&window), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.code, "0424");
    EXPECT_EQ(line.payload,
              "00000000"
              "00340034"
              "00000000"
              "00000000"
              "00000040"
              "00000070"
              "0508"
              "0001"
              "00"
              "02"
              "07030000"
              "00000000"
              "000000000000"
              "19"
              "05"
              "012c"
              "0102"
              "012e"
              "ffff"
              "0000");
    EXPECT_EQ(line.payload.size(), 2u * 56);
    EXPECT_EQ(line.status, "00");
    EXPECT_EQ(window.exposures, exposures + 5) << "the record's pointer moves past the values sent";

    log.Mark();
    ASSERT_EQ(lx9::StartScan(), 1);
    EXPECT_EQ(Only().payload, "0100");
    EXPECT_EQ(log.Since().back().code, "031b");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    for (uint32_t s = 0; s < 5; ++s) {
        log.Mark();
        std::vector<uint8_t> raw(21504);
        ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadImage, 1, 1, s, raw.data()), 1);
        const LogLine read = Only();
        EXPECT_EQ(read.payload,
                  "00000001"
                  "00000001"
                  "0000000" +
                      std::to_string(s));
        EXPECT_EQ(read.dataBytes, 21504u);
    }
}

TEST_F(Commands, StandardAndExtendedWindows) {
    const uint16_t exposure = 0x0234;
    lx9::ScanWindow standard{lx9::kWindowStandard, 0, 2, 7, 1, &exposure, 0, 0, 256, 896};
    ASSERT_EQ(lx9::SetScanWindow(&standard), 1);
    EXPECT_EQ(Only().payload,
              "00000000"
              "01a101a1"
              "00000000"
              "00000000"
              "00000100"
              "00000380"
              "0508"
              "0000"
              "00"
              "a2"
              "27007200"
              "00000000"
              "000000000000"
              "07"
              "01"
              "0234");
    log.Mark();
    lx9::ScanWindow measure{lx9::kWindowIndex, 0, 1, 7, 1, &exposure, 0, 0, 64, 112};
    ASSERT_EQ(lx9::SetScanWindow(&measure), 1);
    EXPECT_EQ(Only().payload.substr(2 * 28, 4), "0001") << "index mode bits 0x00 + pass 1";
    log.Mark();
    lx9::ScanWindow extended{lx9::kWindowExtended, 0, 2, 7, 1, &exposure, 128, 448, 256, 896};
    ASSERT_EQ(lx9::SetScanWindow(&extended), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.payload,
              "00000000"
              "03430343"
              "00000080"
              "000001c0"
              "00000100"
              "00000380"
              "0508"
              "0000"
              "00"
              "82"
              "ff000000"
              "00000000"
              "000000000000"
              "07"
              "01"
              "0234");
    EXPECT_EQ(line.payload.size(), 2u * 48);
}

TEST_F(Commands, RequestsThatCannotBePackedSendNothing) {
    const uint16_t exposure = 100;
    lx9::ScanWindow badMode{3, 0, 2, 7, 1, &exposure, 0, 0, 256, 896};
    uint8_t buffer[16];
    EXPECT_EQ(lx9::SetScanWindow(&badMode), 0);
    EXPECT_EQ(lx9::SetScanWindow(nullptr), 0);
    EXPECT_EQ(lx9::ReadDeviceData(5, 0, 16, 0, buffer), 0);
    EXPECT_EQ(lx9::ReadDeviceData(-1, 0, 16, 0, buffer), 0);
    EXPECT_EQ(lx9::DeviceControl(121), 0);
    EXPECT_TRUE(log.Since().empty());
}

TEST_F(Commands, EjectLeavesNoCartridge) {
    ASSERT_EQ(lx9::DeviceControl(lx9::EjectCartridge), 1);
    const LogLine line = Only();
    EXPECT_EQ(line.code, "0ec1");
    EXPECT_EQ(line.payload, "00020001");
    ASSERT_TRUE(lx9test::WaitUntilIdle());
    EXPECT_EQ(lx9::cartridgeWord, 0);
}

// lx9emu --fast --standby on --fault "refuse 200 code window"
using Refusal = EmulatorTest;

TEST_F(Refusal, WindowIsSentOnceMoreWhenTheDeviceIsIdleAgain) {
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow window = IndexGroupWindow(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&window), 1);
    const auto lines = log.Since();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].code, "0424");
    EXPECT_EQ(lines[0].status, "70");
    EXPECT_EQ(lines[1].code, "0203");
    EXPECT_EQ(lines[1].payload, "0070") << "the sense of status 0x70";
    for (size_t i = 2; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].code, "0200") << "status polls only";
    EXPECT_GE(Count(lines, "0200"), 2u) << "the device stayed busy for 200 ms";
    EXPECT_EQ(lines.back().code, "0424");
    EXPECT_EQ(lines.back().payload, lines[0].payload) << "the same command, resent";
    EXPECT_EQ(lines.back().status, "00");
    EXPECT_EQ(Count(lines, "0424"), 2u);
}

// lx9emu --fast --standby on --fault "refuse 5000 code window"
using BusyDevice = EmulatorTest;

TEST_F(BusyDevice, RecoveryPollsAreBoundedThenTheLibraryDecides) {
    lx9::SetRecoverPolling(5, 10);
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow window = IndexGroupWindow(exposures);
    const DWORD start = GetTickCount();
    EXPECT_EQ(lx9::SetScanWindow(&window), 0);
    EXPECT_LT(GetTickCount() - start, 4000u) << "no waiting for the busy device";
    lx9::SetRecoverPolling(0, 0);
    EXPECT_EQ(lx9::DeviceLastError(), 112);
    const auto lines = log.Since();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[1].payload, "0070");
    for (size_t i = 2; i < 7; ++i) EXPECT_EQ(lines[i].code, "0200") << "five polls";
    EXPECT_EQ(lines[7].code, "0200") << "then the library's resynchronisation probe";
    EXPECT_EQ(Count(lines, "0424"), 3u) << "the first attempt and the library's two";
}

// lx9emu --fast --standby on --fault "status 0x71 5 code window" --fault "checksum code inquiry"
using LibraryRecovery = EmulatorTest;

TEST_F(LibraryRecovery, HardwareStatusGoesStraightToTheLibrary) {
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow window = IndexGroupWindow(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&window), 1);
    const auto lines = log.Since();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].status, "71");
    EXPECT_EQ(lines[1].code, "0200") << "the probe; no sense request for 113";
    EXPECT_EQ(lines[2].code, "0424");
    EXPECT_EQ(lines[2].status, "00");
}

TEST_F(LibraryRecovery, QueryIsRepeatedByTheLibrary) {
    char id[lx9::kIdTextSize];
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &lx9::deviceBufferSize), 1);
    EXPECT_STREQ(id, lx9::kExpectedDeviceId);
    const auto lines = log.Since();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].code, "0312");
    EXPECT_NE(lines[0].text.find("checksum"), std::string::npos);
    EXPECT_EQ(lines[1].code, "0200");
    EXPECT_EQ(lines[2].code, "0312");
}

// lx9emu --fast --standby on --fault "status 0x71 5 code window times 3" --fault "status 0x71 0x3c code scan
// times 3"
using HardwareReport = EmulatorTest;

TEST_F(HardwareReport, SenseByteIsPrintedAsTwoHexDigits) {
    const uint16_t exposures[5] = {300, 300, 300, 300, 300};
    lx9::ScanWindow window = IndexGroupWindow(exposures);
    ASSERT_EQ(lx9::SetScanWindow(&window), 0);
    EXPECT_EQ(lx9::DeviceLastError(), 113);
    EXPECT_EQ(Count(log.Since(), "0424"), 3u);
    {
        lx9::language = 0;
        lx9::LoadMessages();
        lx9test::BoxReader reader;
        log.Mark();
        lx9::ReportDeviceError(nullptr);
        ASSERT_EQ(reader.Boxes().size(), 1u);
        EXPECT_EQ(reader.Boxes()[0].text, "Hardware Error.  0x 5");
        EXPECT_EQ(reader.Boxes()[0].caption, "Error");
        const LogLine sense = Only();
        EXPECT_EQ(sense.code, "0203");
        EXPECT_EQ(sense.payload, "0071");
    }
    // The report closed the port.
    ASSERT_EQ(LPT1_Open(), 1);
    ASSERT_EQ(lx9::StartScan(), 0);
    {
        lx9::language = 2;
        lx9::LoadMessages();
        lx9test::BoxReader reader;
        lx9::ReportDeviceError(nullptr);
        ASSERT_EQ(reader.Boxes().size(), 1u);
        EXPECT_EQ(reader.Boxes()[0].text, "Hardwarefehler.  0x3c");
        EXPECT_EQ(reader.Boxes()[0].caption, "Fefler");
        lx9::language = 0;
        lx9::LoadMessages();
    }
    ASSERT_EQ(LPT1_Open(), 1);
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
    EXPECT_EQ(lx9::DeviceLastError(), 127);
    char text[lx9::kErrorTextSize];
    lx9::DeviceErrorText(static_cast<uint16_t>(lx9::DeviceLastError()), text, sizeof text);
    EXPECT_STREQ(text, "Communication Error.");
}

}  // namespace
