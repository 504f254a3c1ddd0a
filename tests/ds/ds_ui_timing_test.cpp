// How long the workflows take against the floor their timers set: every step waits for a tick of 100 ms, so
// a workflow of n steps cannot be faster than n ticks, plus the device's busy time and its wire time (with
// the emulator's realistic timing). Prints a table and fails where the source adds more than a tenth to that
// floor; the data source's own processing of a standard frame is timed on its own. Run by
// tools/measure-timings.sh against lx9emu with --fast and with its realistic timing.
//
// lx9emu --standby on --cartridge 40 --film negative --buffer-size 4194304 [--fast] (a buffer that allows the
// whole frame as the rectangle)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "device/device_state.h"
#include "ds_ui_main_support.h"
#include "ds_ui_scan_support.h"
#include "ds_ui_user_actions.h"
#include "twain/source_state.h"
#include "twain/transfer_image.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

namespace {

constexpr double kTickMs = 100;
constexpr int kCropScan = 1002;

// The emulator's times ("timing" on its control channel), in ms; the byte rate in bytes per second.
std::map<std::string, double> EmulatorTimes() {
    std::map<std::string, double> times;
    for (const std::string& line : lx9test::Control("timing")) {
        size_t at = 0;
        while (at < line.size()) {
            const size_t end = line.find(' ', at);
            const std::string pair = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
            const size_t eq = pair.find('=');
            if (eq != std::string::npos) times[pair.substr(0, eq)] = std::atof(pair.c_str() + eq + 1);
            if (end == std::string::npos) break;
            at = end + 1;
        }
    }
    return times;
}

double WireMs(const std::map<std::string, double>& times, double bytes) {
    const auto rate = times.find("rate");
    return rate == times.end() || rate->second <= 0 ? 0 : bytes * 1000.0 / rate->second;
}

double Busy(const std::map<std::string, double>& times, const char* name) {
    const auto it = times.find(name);
    return it == times.end() ? 0 : it->second;
}

// steps ticks, of which waits wait for a scan that keeps the device busy for busyMs; longReadMs is the wire
// time of reads that do not fit in their tick (the measuring pass reads inside the set-up step).
double Floor(int steps, int waits, double busyMs, double extraWireMs) {
    if (busyMs <= 0) return steps * kTickMs;
    return (steps - waits) * kTickMs + busyMs + extraWireMs;
}

void Report(const char* what, double measuredMs, double floorMs) {
    const double over = (measuredMs - floorMs) * 100.0 / floorMs;
    std::printf("TIMING | %-28s | %8.2f s | floor %8.2f s | %+6.1f %%\n", what, measuredMs / 1000.0,
                floorMs / 1000.0, over);
    std::fflush(stdout);
    EXPECT_LE(measuredMs, floorMs * 1.1) << what << ": more than a tenth over the floor";
}

class Timing : public lx9test::ScanTest {
  protected:
    void SetUp() override {
        indexOnSetUp = false;
        ScanTest::SetUp();
    }
};

// Index all of 40 frames: 8 groups of 10 steps (set-up, wait, read five, five repaints and the last check,
// next group); each group's SCAN is busy for scan-index and brings 5 x 21504 bytes.
TEST_F(Timing, IndexAllOf40FramesAndAStandardAndAnExtendedFrame) {
    const auto times = EmulatorTimes();
    DWORD start = GetTickCount();
    lx9test::Click(window, kAll);
    ASSERT_TRUE(WaitReady(180000));
    Report("index all, 40 frames", GetTickCount() - start,
           8 * Floor(10, 1, Busy(times, "scan-index"), WireMs(times, 5 * 21504.0)));

    // A standard frame (negative): 32 steps; the measuring pass (scan-index and 21504 bytes) then the scan
    // (scan-standard) and its 917504 bytes.
    lx9test::ClickCell(window, lx9test::CellButton(7), false);
    lx9test::ChooseMode(window, lx9::kScanStandard);
    lx9::sourceState = lx9::kState5Enabled;
    start = GetTickCount();
    lx9test::Click(window, kScan);
    ASSERT_TRUE(lx9test::PumpUntil([] { return lx9::transferImage != nullptr; }, 120000));
    const double standardFloor =
        Floor(32, 1, Busy(times, "scan-index") + Busy(times, "scan-standard"), WireMs(times, 21504.0));
    Report("standard frame", GetTickCount() - start, standardFloor);
    lx9::FreeTransferImage();
    ASSERT_TRUE(WaitReady(10000));

    // An extended frame: the preview (32 steps, a measurement and a standard scan), then the whole frame (60
    // steps, a measurement and an extended scan of 1792 lines of 2048 bytes). The person's drag and click
    // are not counted.
    lx9test::ClickCell(window, lx9test::CellButton(8), false);
    lx9test::ChooseMode(window, lx9::kScanExtended);
    lx9::sourceState = lx9::kState5Enabled;
    DWORD previewMs = 0;
    DWORD pressed = 0;
    lx9test::UserActions user;
    user.Then(
            "the preview",
            [&] {
                if (lx9::cropWindow == nullptr || !IsWindowEnabled(GetDlgItem(lx9::cropWindow, kCropScan)))
                    return false;
                previewMs = GetTickCount() - start;
                PostMessageA(lx9::cropWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
                PostMessageA(lx9::cropWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(447, 255));
                PostMessageA(lx9::cropWindow, WM_LBUTTONUP, 0, MAKELPARAM(447, 255));
                return true;
            },
            120000)
        .Then("SCAN", [&] {
            PostMessageA(GetDlgItem(lx9::cropWindow, kCropScan), BM_CLICK, 0, 0);
            pressed = GetTickCount();
            return true;
        });
    start = GetTickCount();
    lx9test::Click(window, kScan);
    ASSERT_TRUE(user.AllDone());
    ASSERT_TRUE(lx9test::PumpUntil([] { return lx9::transferImage != nullptr; }, 180000));
    const DWORD finalMs = GetTickCount() - pressed;
    Report("extended preview", previewMs, standardFloor);
    Report("extended frame, whole", finalMs,
           Floor(60, 1, Busy(times, "scan-index") + Busy(times, "scan-extended"), WireMs(times, 21504.0)));
    lx9::FreeTransferImage();
    ASSERT_TRUE(WaitReady(10000));
}

// The chain of one standard frame under Wine, from the raw readout to the finished image: what the source
// itself spends on a frame.
TEST_F(Timing, ProcessingOfAStandardFrame) {
    std::vector<uint8_t> raw(917504);
    uint32_t seed = 12345;
    for (uint8_t& byte : raw) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(96 + (seed >> 24) % 64);
    }
    constexpr int kRuns = 10;
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    double total = 0;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<uint8_t> copy = raw;
        PictImage image{lx9::AllocLockedBlock(896 * 512 * 3), 0, 0};
        ASSERT_NE(image.data, nullptr);
        QueryPerformanceCounter(&begin);
        lx9::ProcessFrame(window, &image, copy.data(), 896, 512, lx9::kModeStandard, &lx9::frameBaseData[9],
                          0, lx9::frameExposure[9], 8);
        QueryPerformanceCounter(&end);
        total += static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart;
        lx9::FreeLockedBlock(image.data);
    }
    std::printf("TIMING | %-28s | %8.2f ms per frame (mean of %d)\n", "processing, standard frame",
                total / kRuns, kRuns);
    EXPECT_LT(total / kRuns, 320.0) << "a tenth of the 32 ticks of a frame's own floor at most";
}

}  // namespace
