// lx9emu's command line and the limits it shares with the control channel: numbers, times, the wire rate and
// the counts of repeatable options.
#include <gtest/gtest.h>

#include "core/control.h"
#include "core/options.h"
#include "core/words.h"
#include "emu_core_test_util.h"

namespace lx9emu {
namespace {

// The reason of a refusal, or "" when the command line is accepted.
std::string refusal(const std::vector<std::string>& args, Options* parsed = nullptr) {
    Options options;
    std::string why;
    if (parseOptions(args, &options, &why)) {
        if (parsed) *parsed = options;
        return "";
    }
    EXPECT_FALSE(why.empty());
    return why;
}

TEST(EmuCoreOptions, NumbersAreDecimalOrHexadecimalAndNothingElse) {
    uint64_t n = 0;
    EXPECT_TRUE(parseNumber("010", 100, &n));
    EXPECT_EQ(n, 10u);  // not octal
    EXPECT_TRUE(parseNumber("0x1F", 100, &n));
    EXPECT_EQ(n, 31u);
    EXPECT_TRUE(parseNumber("0794", 1000, &n));
    EXPECT_EQ(n, 794u);
    for (const char* bad :
         {"", "0x", "\t5", " 5", "5 ", "+5", "-5", "5a", "0x1G", "1e3", "99999999999999999999"})
        EXPECT_FALSE(parseNumber(bad, UINT64_MAX, &n)) << bad;

    Options o;
    EXPECT_EQ(refusal({"--cartridge", "017", "--seed", "010"}), "--cartridge takes none, 15, 25 or 40");
    EXPECT_EQ(refusal({"--cartridge", "0x19", "--seed", "010"}, &o), "");
    EXPECT_EQ(o.frames, 25);
    EXPECT_EQ(o.seed, 10u);
    EXPECT_EQ(refusal({"--seed", "\t5"}), "--seed takes a 32-bit number");
}

TEST(EmuCoreOptions, TimesAndRateAreBounded) {
    Options o;
    EXPECT_EQ(refusal({"--timing", "scan-index=600000", "--rate", "2000", "--fast"}, &o), "");
    EXPECT_EQ(o.device.timings.scanIndex, 600000u);  // applied after --fast
    EXPECT_EQ(o.device.timings.byteRate, 2000u);
    EXPECT_EQ(refusal({"--rate", "0"}, &o), "");
    EXPECT_EQ(o.device.timings.byteRate, 0u);

    EXPECT_EQ(refusal({"--timing", "scan-index=600001"}), "--timing: scan-index takes at most 600000 ms");
    EXPECT_EQ(refusal({"--timing", "eject=4294967295"}), "--timing: eject takes at most 600000 ms");
    EXPECT_EQ(refusal({"--rate", "1999"}),
              "--rate: rate takes 0 (unlimited) or at least 2000 bytes per second");
    EXPECT_EQ(refusal({"--timing", "rate=5000"}), "--timing takes a time; the rate is set with --rate");
    EXPECT_EQ(refusal({"--timing", "warp=1"}), "--timing: unknown time warp");
    EXPECT_EQ(refusal({"--timing", "scan-index"}), "--timing takes NAME=MS");
    EXPECT_EQ(refusal({"--timing", "scan-index=soon"}), "--timing takes a number: soon");

    // The control channel keeps the same limits.
    ScannerModel& model = test::sharedModel();
    const TimePoint now = TimePoint{} + std::chrono::hours(1);
    Device device(model, DeviceConfig{}, now);
    FaultPlan faults;
    CommandLog log;
    Control control(device, faults, log);
    EXPECT_EQ(control.run("timing standby 600000", now).back(), "ok");
    EXPECT_EQ(control.run("timing standby 600001", now).back(), "error standby takes at most 600000 ms");
    EXPECT_EQ(control.run("timing rate 10", now).back(),
              "error rate takes 0 (unlimited) or at least 2000 bytes per second");
    EXPECT_EQ(device.config().timings.standby, 600000u);
    EXPECT_EQ(device.config().timings.byteRate, 1000000u);
}

TEST(EmuCoreOptions, RepeatableOptionsAndFaultRulesAreCounted) {
    std::vector<std::string> args;
    for (int i = 0; i < 40; ++i) args.insert(args.end(), {"--picture", "frame.png"});
    Options o;
    EXPECT_EQ(refusal(args, &o), "");
    EXPECT_EQ(o.device.pictures.size(), 40u);
    args.insert(args.end(), {"--picture", "frame.png"});
    EXPECT_EQ(refusal(args), "--picture at most 40 times");

    args.clear();
    for (size_t i = 0; i < FaultPlan::kMaxRules; ++i) args.insert(args.end(), {"--fault", "silence"});
    EXPECT_EQ(refusal(args, &o), "");
    EXPECT_EQ(o.faults.size(), FaultPlan::kMaxRules);
    args.insert(args.end(), {"--fault", "checksum"});
    EXPECT_EQ(refusal(args), "--fault at most 1000 times");

    ScannerModel& model = test::sharedModel();
    const TimePoint now = TimePoint{} + std::chrono::hours(1);
    Device device(model, DeviceConfig{}, now);
    FaultPlan faults;
    CommandLog log;
    Control control(device, faults, log);
    for (size_t i = 0; i < FaultPlan::kMaxRules; ++i)
        ASSERT_EQ(control.run("fault silence", now).back(), "ok");
    EXPECT_EQ(control.run("fault checksum", now).back(), "error at most 1000 fault rules");
    EXPECT_EQ(control.run("faults", now).size(), FaultPlan::kMaxRules + 1);
}

TEST(EmuCoreOptions, RefusalsNameWhatIsWrong) {
    EXPECT_EQ(refusal({"--fast", "--frobnicate"}), "unknown option --frobnicate");
    EXPECT_EQ(refusal({"--frobnicate", "1"}), "unknown option --frobnicate");
    EXPECT_EQ(refusal({"scan"}), "unknown argument scan");
    EXPECT_EQ(refusal({"--standby"}), "--standby needs a value");
    for (const char* option : {"--link", "--control", "--log", "--picture"})
        EXPECT_EQ(refusal({option, ""}), std::string(option) + " takes a path, not an empty text");
    EXPECT_EQ(refusal({"--cartridge", "none", "--unusable"}),
              "--unusable needs a cartridge (not --cartridge none)");
    Options o;
    EXPECT_EQ(refusal({"--cartridge", "none", "--cartridge", "40", "--unusable"}, &o), "");  // the last wins
    EXPECT_TRUE(o.cartridge);
    EXPECT_EQ(o.frames, 40);
    EXPECT_EQ(refusal({"--id", std::string(201, 'x')}), "--id takes at most 200 characters");
}

}  // namespace
}  // namespace lx9emu
