#include "ds_device_emulator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "device/commands.h"
#include "device/device_state.h"
#include "device/startup_data.h"
#include "lx9comm.h"

namespace lx9test {

namespace {

std::string WindowsPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace

EmulatorLog::EmulatorLog() {
    if (const char* log = std::getenv("LX9_EMU_LOG")) path_ = WindowsPath(log);
}

std::vector<LogLine> EmulatorLog::Read() const {
    std::vector<LogLine> lines;
    std::ifstream in(path_);
    std::string text;
    while (std::getline(in, text)) {
        if (text.rfind("cmd ", 0) != 0) continue;
        std::istringstream words(text);
        LogLine line;
        std::string word;
        words >> word >> line.code >> line.payload >> word;
        if (word == "status") words >> line.status >> word >> line.dataBytes;
        line.text = text;
        lines.push_back(line);
    }
    return lines;
}

void EmulatorLog::Mark() {
    mark_ = Read().size();
}

std::vector<LogLine> EmulatorLog::Since() const {
    std::vector<LogLine> lines = Read();
    if (mark_ >= lines.size()) return {};
    return {lines.begin() + static_cast<std::ptrdiff_t>(mark_), lines.end()};
}

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char digits[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        text += digits;
    }
    return count ? text : "-";
}

bool WaitUntilIdle(unsigned timeoutMs) {
    for (unsigned waited = 0; waited <= timeoutMs; waited += 20) {
        uint8_t ready = 0;
        if (lx9::GetDeviceStatus(&ready, &lx9::scannerWord, &lx9::cartridgeWord, nullptr) &&
            (ready & lx9::kReadyIdle))
            return true;
        Sleep(20);
    }
    return false;
}

bool WaitForPreparation(uint8_t bit, unsigned timeoutMs) {
    for (unsigned waited = 0; waited <= timeoutMs; waited += 20) {
        uint8_t preparation = 0;
        if (lx9::GetDeviceStatus(nullptr, &lx9::scannerWord, &lx9::cartridgeWord, &preparation) &&
            (preparation & bit) == bit)
            return true;
        Sleep(20);
    }
    return false;
}

void PrepareScanner() {
    ASSERT_EQ(LPT1_Open(), 1) << "LPT1 must lead to the emulator";
    char id[lx9::kIdTextSize];
    ASSERT_EQ(lx9::Inquire(id, sizeof id, &lx9::deviceBufferSize), 1);
    ASSERT_STREQ(id, lx9::kExpectedDeviceId);
    ASSERT_TRUE(WaitUntilIdle());
    if (lx9::scannerWord == 0) {
        ASSERT_EQ(lx9::DeviceControl(lx9::StandbyOn), 1);
        ASSERT_TRUE(WaitUntilIdle());
        ASSERT_NE(lx9::scannerWord, 0) << "the standby switch came on";
    }
    ASSERT_TRUE(WaitForPreparation(lx9::kPrepCalibration));
    std::vector<uint8_t> calibration(lx9::kCalibrationBytes), reference(lx9::kShadingReferenceBytes);
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadCalibration, 0xFFFF, 65548, 0, calibration.data()), 1);
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadShadingReference, 2, 1024, 0, reference.data()), 1);
    lx9::LoadCalibration(calibration.data(), reference.data());
    ASSERT_GT(lx9::cartridgeWord, 0) << "a usable cartridge";
    ASSERT_TRUE(WaitForPreparation(lx9::kPrepStatusBlock));
    uint8_t statusBlock[31];
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadStatusBlock, 0xFFFF, 31, 0, statusBlock), 1);
    ASSERT_TRUE(WaitForPreparation(lx9::kPrepFilmInfo));
    uint8_t film[lx9::kFilmInformationBytes];
    ASSERT_EQ(lx9::ReadDeviceData(lx9::kReadFilmInfo, 0xFFFF, 485, 0, film), 1);
    ASSERT_TRUE(lx9::UnpackFilmInformation(film));
    lx9::ComputeStartingExposures();
}

}  // namespace lx9test
