// What both index scans share: the making of one frame's index image (the scan set-up is scan_setup.cpp).
#include "chain/bitmap_header.h"
#include "chain/display_copy.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "device/device_state.h"
#include "ui/main_state.h"
#include "ui/workflows/index_workflows.h"
#include "ui/workflows/status_guard.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

namespace {

constexpr int kIndexLines = 112;  // readout lines of an index frame
constexpr int kIndexWidth = 64;   // samples per line

}  // namespace

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
