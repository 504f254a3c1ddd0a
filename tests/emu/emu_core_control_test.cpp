// The control channel's commands, run directly against a device.
#include <gtest/gtest.h>

#include "core/control.h"
#include "emu_core_test_util.h"

namespace lx9emu {
namespace {

class EmuCoreControl : public ::testing::Test {
  protected:
    EmuCoreControl() : device_(model_, DeviceConfig{}, now_), control_(device_, faults_, log_) {}
    std::string last(const std::string& line) {
        auto answer = control_.run(line, now_);
        return answer.empty() ? "" : answer.back();
    }
    std::string state() { return control_.run("state", now_).front(); }

    ScannerModel& model_ = test::sharedModel();
    TimePoint now_ = TimePoint{} + std::chrono::hours(1);
    Device device_;
    FaultPlan faults_;
    CommandLog log_;
    Control control_;
};

TEST_F(EmuCoreControl, SwitchesCartridgeAndBusyChangeTheDevice) {
    EXPECT_EQ(last("ping"), "ok");
    EXPECT_EQ(last("standby on"), "ok");
    EXPECT_NE(device_.scannerWord(), 0);
    EXPECT_EQ(last("standby stuck"), "ok");
    EXPECT_EQ(device_.scannerWord(), 0);
    EXPECT_EQ(last("restart"), "ok");
    EXPECT_NE(device_.scannerWord(), 0);
    EXPECT_EQ(last("restart off"), "ok");
    EXPECT_EQ(device_.scannerWord(), 0);

    EXPECT_EQ(last("cartridge insert 15 positive"), "ok");
    EXPECT_EQ(device_.cartridgeWord() & 0xFF, 15);
    EXPECT_EQ(last("cartridge insert"), "error a cartridge is loaded: use change");
    uint16_t before = device_.cartridgeWord();
    EXPECT_EQ(last("cartridge change 15"), "ok");
    EXPECT_NE(device_.cartridgeWord(), before);
    EXPECT_NE(state().find("frames=15 film=negative"), std::string::npos);
    EXPECT_EQ(last("cartridge unusable"), "ok");
    EXPECT_TRUE(device_.cartridgeWord() & 0x8000);
    EXPECT_EQ(last("cartridge remove"), "ok");
    EXPECT_EQ(device_.cartridgeWord(), 0);
    EXPECT_EQ(last("cartridge unusable"), "error no cartridge loaded");
    EXPECT_EQ(last("cartridge insert 24"), "error a cartridge has 15, 25 or 40 frames");

    EXPECT_EQ(last("busy 250"), "ok");
    EXPECT_FALSE(device_.ready(now_));
    EXPECT_NE(state().find("ready=0"), std::string::npos);
    EXPECT_EQ(last("sense 0x71 0x3c"), "ok");
    EXPECT_NE(state().find("sense71=0x3c"), std::string::npos);
}

TEST_F(EmuCoreControl, FaultsLogAndSettings) {
    EXPECT_EQ(last("fault silence code read times 2"), "ok");
    EXPECT_EQ(control_.run("faults", now_),
              (std::vector<std::string>{"silence code read times 2 (2 left)", "ok"}));
    EXPECT_EQ(last("fault explode"), "error unknown fault kind explode");
    EXPECT_EQ(last("faults clear"), "ok");
    EXPECT_EQ(control_.run("faults", now_).size(), 1u);

    log_.add("cmd 0200 - status 00 data 12");
    EXPECT_EQ(control_.run("log", now_), (std::vector<std::string>{"cmd 0200 - status 00 data 12", "ok"}));
    EXPECT_EQ(last("log clear"), "ok");
    EXPECT_EQ(control_.run("log", now_).size(), 1u);

    EXPECT_EQ(last("id  MFG:NORVIK;MDL:LX-9 EXTRA"), "ok");  // the rest of the line, inner blanks kept
    EXPECT_EQ(device_.config().identification, "MFG:NORVIK;MDL:LX-9 EXTRA");
    EXPECT_EQ(last("timing warp 10"), "error timing takes a known name and a number");

    for (const char* bad : {"", "standby sideways", "busy", "busy -1", "sense 0x72 1", "exact maybe",
                            "frobnicate", "cartridge", "restart now"})
        EXPECT_EQ(last(bad).rfind("error", 0), 0u) << bad;
    EXPECT_FALSE(control_.quitRequested());
    EXPECT_EQ(last("quit"), "ok");
    EXPECT_TRUE(control_.quitRequested());
}

}  // namespace
}  // namespace lx9emu
