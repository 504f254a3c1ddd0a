// What both index scans share: the scan set-up and the making of one frame's index image.
#include "chain/bitmap_header.h"
#include "chain/display_copy.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "ui/main_state.h"
#include "ui/workflows/index_workflows.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

constexpr int kIndexLines = 112;  // readout lines of an index frame
constexpr int kIndexWidth = 64;   // samples per line
constexpr int kGroupFrames = 5;

int32_t SetupIndexWindow(uint8_t pass, int32_t frame, const uint16_t* exposures, uint8_t count) {
    ScanWindow window{kWindowIndex,
                      static_cast<uint8_t>(filmType),
                      pass,
                      static_cast<uint8_t>(frame),
                      count,
                      exposures,
                      0,
                      0,
                      kIndexWidth,
                      kIndexLines};
    return SetScanWindow(&window) && StartScan() ? 1 : 0;
}

}  // namespace

int32_t SetupIndexGroup(int32_t top, int32_t) {
    if (top < kGroupFrames || top > kMaxFrames) return 0;
    uint16_t exposures[kGroupFrames];
    for (int k = 0; k < kGroupFrames; ++k) exposures[k] = frameBaseExposure[top - k];
    return SetupIndexWindow(2, top, exposures, kGroupFrames);
}

int32_t SetupIndexFrame(int32_t frame, int32_t pass) {
    if (frame < 1 || frame > kMaxFrames) return 0;
    return SetupIndexWindow(static_cast<uint8_t>(pass), frame, &frameBaseExposure[frame], 1);
}

bool MakeIndexImage(HWND window, int frame, PictImage* image, uint8_t* raw) {
    PictImage& work = indexWorkImages[frame];
    FreeLockedBlock(work.data);
    work = PictImage{AllocLockedBlock(kIndexImageBytes), kIndexImageHeight, kIndexImageWidth};
    if (work.data == nullptr) {
        FailStepForMemory(window);
        return false;
    }
    frameExposure[frame] =
        ProcessFrame(window, image, raw, kIndexLines, kIndexWidth, kModeIndex, &frameBaseData[frame],
                     rotate180, frameBaseExposure[frame], frame - 1);
    if (WindowEnded(window)) return false;  // the chain ran out of memory and reported it
    UseSharp(image, &work, 0, 0);
    MakeDisplayCopy(window, image->data, image->rows, image->cols, &indexImages[frame]);
    if (WindowEnded(window)) return false;
    InitBitmapHeader(image->cols, image->rows, &indexImages[frame].header);
    return true;
}

}  // namespace lx9
