// A long session: 100 standard final scans one after another in one main window, each image taken by the
// application as it is offered. Neither the global memory blocks nor the process's memory may grow.
//
// lx9emu --fast --standby on --cartridge 15 --film negative
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>  // after windows.h, which it needs

#include <cstdio>

#include "ds_ui_main_support.h"
#include "ds_ui_scan_support.h"
#include "twain/source_state.h"
#include "ui/main_state.h"
#include "ui/main_window.h"

namespace {

constexpr int kScans = 100;
constexpr int kWarmUp = 5;  // the first scans make what stays (shading tables, the chain's tables)

struct Footprint {
    int frameBlocks = 0;  // busy heap blocks of a standard frame's sizes and above
    int allBlocks = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
};

Footprint Measure() {
    Footprint f;
    f.frameBlocks = lx9test::HeapBlocksBetween(21504, 64u << 20);
    f.allBlocks = lx9test::HeapBlocksBetween(0, ~size_t{0});
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        f.privateBytes = counters.PagefileUsage;  // the memory committed to the process alone
        f.workingSet = counters.WorkingSetSize;
    }
    return f;
}

class Soak : public lx9test::ScanTest {};

TEST_F(Soak, AHundredStandardScansLeaveNothingBehind) {
    Footprint start;
    const DWORD began = GetTickCount();
    for (int scan = 1; scan <= kScans; ++scan) {
        const int frame = 1 + (scan - 1) % 15;
        lx9test::ClickCell(window, lx9test::CellButton(frame), false);
        lx9test::ChooseMode(window, lx9::kScanStandard);
        lx9::sourceState = lx9::kState5Enabled;
        lx9test::Click(window, kScan);
        const auto images = TakeUntilReady();
        ASSERT_EQ(lx9::mainDialog, window) << "scan " << scan << " ended in a report";
        ASSERT_EQ(images.size(), 1u) << "scan " << scan;
        ASSERT_EQ(images[0].width, 896);
        ASSERT_EQ(images[0].height, 512);
        if (scan == kWarmUp) start = Measure();
    }
    const Footprint end = Measure();
    const DWORD took = GetTickCount() - began;
    std::printf(
        "soak: %d scans in %.1f s (%.2f s each); frame-sized blocks %d -> %d, all heap blocks %d -> %d, "
        "private bytes %lu KiB -> %lu KiB\n",
        kScans, took / 1000.0, took / 1000.0 / kScans, start.frameBlocks, end.frameBlocks, start.allBlocks,
        end.allBlocks, static_cast<unsigned long>(start.privateBytes / 1024),
        static_cast<unsigned long>(end.privateBytes / 1024));
    EXPECT_EQ(end.frameBlocks, start.frameBlocks) << "image blocks left behind";
    EXPECT_LE(end.allBlocks, start.allBlocks + 16) << "small blocks left behind";
    // One lost frame would be 1.3 MiB; a hundred of them 130 MiB.
    ASSERT_GT(start.privateBytes, 0u) << "the process's memory is measured";
    EXPECT_LT(end.privateBytes, start.privateBytes + (1u << 20)) << "the process grew";
    EXPECT_TRUE(lx9test::HeapValid());
}

}  // namespace
