// The native library against the emulator lx9emu: identify, status, film information and a whole
// standard frame, compared with the emulator's own scanner model.
#include <gtest/gtest.h>

#include <string>

#include "emulator_process.h"
#include "lx9comm.h"
#include "scan_payloads.h"
#include "scanner_model.h"
#include "state.h"

using namespace lx9test;

namespace {

class Emulator : public ::testing::Test {
  protected:
    void Start(const std::vector<std::string>& args = {}) {
        emulator = std::make_unique<EmulatorProcess>(args);
        ASSERT_TRUE(emulator->running()) << "LX9EMU must name the emulator";
        ASSERT_EQ(LPT1_Open(), 1) << "link " << emulator->link();
    }
    void TearDown() override {
        LPT1_Close();
        emulator.reset();
    }
    std::string Identify() {
        uint8_t id[72] = {};
        EXPECT_EQ(LX9_Communication(nullptr, id, 0, kIndexInquiry), 1);
        const int n = id[3] << 8 | id[4];
        if (n < 2 || n + 3 > 72) return {};
        return std::string(reinterpret_cast<char*>(id + 5), static_cast<size_t>(n - 2));
    }
    std::unique_ptr<EmulatorProcess> emulator;
};

TEST_F(Emulator, IdentifyStatusFilmInformationAndAStandardFrame) {
    Start({"--exact-read"});
    EXPECT_EQ(Identify(), "MFG:NORVIK;MDL:LX-9");
    EXPECT_TRUE(lx9comm::State().exactRead);

    const DeviceStatus s = Status();
    ASSERT_TRUE(s.ok);
    EXPECT_NE(s.scannerWord, 0);
    EXPECT_GT(s.cartridgeWord, 0);

    lx9emu::ScannerModel model(1);
    model.setCartridge({});
    ASSERT_TRUE(WaitFor([](const DeviceStatus& d) { return (d.preparation & 4) != 0; }));
    std::vector<uint8_t> film(485);
    const auto read = ReadCommand(0x82, 0xFFFF, 485, 0);
    ASSERT_EQ(LX9_Communication(read.data(), film.data(), 12, kIndexRead), 1);
    EXPECT_EQ(film, model.filmInformation());
    EXPECT_EQ(film[4], 25);

    std::vector<uint8_t> raw;
    const double seconds = ScanStandardFrame(raw, 0x0800);
    ASSERT_GT(seconds, 0) << "step " << -seconds;
    lx9emu::ScanRequest request;
    request.windowMode = 1;
    request.frame = 1;
    request.exposures = {0x0800};
    request.width = 256;
    request.height = 896;
    EXPECT_TRUE(raw == model.scan(request).lines) << "the frame differs from the emulator's";
    std::printf("standard frame: %.1f MB/s\n", raw.size() / seconds / 1e6);
    lx9comm::State().exactRead = false;
}

}  // namespace
