// The index sheet the way the data source's index scan of all frames makes it: a scan window for five frames
// at a time from the top of the cartridge down, the five readouts (read index 0 is the group's highest
// frame) processed into their display copies, then the sheet of all cells.
#include <array>

#include "chain/bitmap_header.h"
#include "chain/chain_state.h"
#include "chain/display_copy.h"
#include "chain/process_frame.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device_guard.h"
#include "picture.h"
#include "scan_support.h"
#include "session.h"
#include "ui/index_sheet_pixels.h"
#include "ui/workflows/scan_setup.h"

namespace lx9::sane {

namespace {

constexpr int kGroupFrames = 5;
constexpr int kIndexLines = 112;
constexpr int kIndexSamples = 64;

// The display copies by frame number, released with the sheet.
struct Cells {
    std::array<IndexImage, kFrameSlots> images{};
    ~Cells() {
        for (IndexImage& cell : images) FreeLockedBlock(cell.pixels);
    }
};

Outcome ScanGroup(ReportSink* sink, int top, Cells* cells, const std::atomic<bool>* cancel) {
    if (Outcome o = WaitIdle(sink, kIdleBoundMs, cancel); !o.Good()) return o;
    if (!SetupIndexGroup(top, top - kGroupFrames)) return ReportFailure(sink, "index group set-up");
    if (Outcome o = WaitIdle(sink, kIdleBoundMs, cancel); !o.Good()) return o;
    if (Outcome o = WaitIdle(sink, kIdleBoundMs, cancel); !o.Good()) return o;
    Block raw(kIndexBytes);
    if (raw.get() == nullptr) return NoMemory(sink);
    uint32_t readIndex = kGroupFrames - 1;
    for (int frame = top - kGroupFrames + 1; frame <= top; ++frame, --readIndex) {
        if (Cancelled(cancel)) return Fail(Status::kCancelled, "cancelled");
        // A frame that cannot be read stays without an image; the others go on.
        if (!ReadDeviceData(kReadImage, 1, 1, readIndex, raw.get())) continue;
        if (Outcome o = MakeIndexCell(sink, frame, raw.get(), &cells->images[frame]); !o.Good()) return o;
    }
    return {};
}

}  // namespace

// One readout made into the frame's cell (MakeIndexImage without the window's work image).
Outcome MakeIndexCell(ReportSink* sink, int frame, uint8_t* raw, IndexImage* cell) {
    Block extraction(kIndexBytes);
    if (extraction.get() == nullptr) return NoMemory(sink);
    PictImage image{extraction.get(), 0, 0};
    frameExposure[frame] =
        ProcessFrame(sink, &image, raw, kIndexLines, kIndexSamples, kModeIndex, &frameBaseData[frame],
                     rotate180, frameBaseExposure[frame], frame - 1);
    if (ReportEnded(sink)) return FromReport(*sink, "index processing");
    if (image.data == extraction.get()) return ReportFailure(sink, "index processing");
    extraction.release();
    MakeDisplayCopy(sink, image.data, image.rows, image.cols, cell);
    FreeLockedBlock(image.data);
    if (ReportEnded(sink)) return FromReport(*sink, "index display copy");
    InitBitmapHeader(kIndexImageWidth, kIndexImageHeight, &cell->header);
    return {};
}

Status PredictSheetSize(int frameCount, int* width, int* height) {
    if (width == nullptr || height == nullptr) return Status::kInvalid;
    if (frameCount != 15 && frameCount != 25 && frameCount != 40) return Status::kInvalid;
    *width = kSheetWidth;
    *height = IndexSheetHeight(frameCount);
    return Status::kGood;
}

Status Session::ScanIndexSheet(int film, bool turn, Picture* picture, const std::atomic<bool>* cancel) {
    int width = 0;
    int height = 0;
    if (picture == nullptr || (film != 0 && film != 1)) return Finish(Status::kInvalid, "no such film");
    if (const Status ready = PrepareScan(film, turn); ready != Status::kGood) return ready;
    if (PredictSheetSize(frameCount, &width, &height) != Status::kGood)
        return Finish(Status::kInvalid, "no index sheet for " + std::to_string(frameCount) + " frames");
    Cells cells;
    for (int top = frameCount; top >= kGroupFrames; top -= kGroupFrames) {
        const Outcome group = ScanGroup(sink_.get(), top, &cells, cancel);
        if (!group.Good()) return Finish(group.status, group.reason);
    }
    std::vector<uint8_t> bits(IndexSheetPixelBytes(frameCount));
    ComposeIndexSheet(frameCount, cells.images.data(), bits.data());
    PictureFromDib(bits.data(), width, height, picture);
    return Finish(Status::kGood, {});
}

}  // namespace lx9::sane
