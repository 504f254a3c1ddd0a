// LX9Comm.dll under Wine: its exports as a data source finds them, and (when the emulator is on LPT1 and
// LX9_REFERENCE_FRAME names the frame it will send) identify, status and a whole standard frame.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lx9comm.h"
#include "scan_payloads.h"

using namespace lx9test;

namespace {

TEST(DllExports, TheSevenNamesResolveAndWorkWithoutAPort) {
    HMODULE dll = GetModuleHandleA("LX9Comm.dll");
    ASSERT_NE(dll, nullptr);
    for (const char* name : {"LX9_Communication", "LX9_ErrorComm", "RT1_GetError", "LPT1_Open", "LPT1_Close",
                             "SetLength", "GetLength"})
        EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(dll, name)), nullptr) << name;

    const uint32_t v = 0x01E5;
    uint8_t b[4];
    uint32_t back = 0;
    SetLength(&v, b);
    EXPECT_EQ(b[2], 0x01);
    EXPECT_EQ(*GetLength(&back, b), v);

    uint8_t status[12];
    EXPECT_EQ(LX9_Communication(nullptr, status, 0, 1), 0);  // no port open in this process
    EXPECT_EQ(RT1_GetError(), -1);
    EXPECT_EQ(LX9_Communication(nullptr, status, 0, 40), 0);
    EXPECT_EQ(RT1_GetError(), -1);
}

std::vector<uint8_t> ReadFileBytes(const char* path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* f = std::fopen(path, "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

class EmulatorOnLpt1 : public ::testing::Test {
  protected:
    void SetUp() override {
        reference_ = std::getenv("LX9_REFERENCE_FRAME");
        if (reference_ == nullptr) GTEST_SKIP() << "the emulator is not on LPT1 (LX9_REFERENCE_FRAME unset)";
        ASSERT_EQ(LPT1_Open(), 1) << "last error " << RT1_GetError();
    }
    void TearDown() override { LPT1_Close(); }
    const char* reference_ = nullptr;
};

TEST_F(EmulatorOnLpt1, IdentifyStatusAndAStandardFrameIn28Reads) {
    uint8_t id[72] = {};
    ASSERT_EQ(LX9_Communication(nullptr, id, 0, kIndexInquiry), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(id + 5), 19), "MFG:NORVIK;MDL:LX-9");

    const DeviceStatus s = Status();
    ASSERT_TRUE(s.ok) << RT1_GetError();
    EXPECT_NE(s.scannerWord, 0);
    EXPECT_GT(s.cartridgeWord, 0);

    std::vector<uint8_t> raw;
    const double seconds = ScanStandardFrame(raw, 0x0800);
    ASSERT_GT(seconds, 0) << "step " << -seconds << ", last error " << RT1_GetError();
    const std::vector<uint8_t> expected = ReadFileBytes(reference_);
    ASSERT_EQ(expected.size(), kStandardFrameBytes) << reference_;
    EXPECT_TRUE(raw == expected) << "the frame differs from what the emulator sent";
    const double rate = raw.size() / seconds / 1e6;
    std::printf("standard frame through LX9Comm.dll: %u bytes in %.3f s, %.1f MB/s\n",
                static_cast<unsigned>(raw.size()), seconds, rate);
    RecordProperty("MBps", std::to_string(rate));
    EXPECT_GT(rate, 0.5) << "far below the port's speed: pieces are waiting for time-outs";
}

}  // namespace
