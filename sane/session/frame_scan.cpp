// One frame scanned the way the data source scans it: the index-selected workflow for a thumbnail, the final
// scan for a standard frame, the crop window's preview and then the final scan for an extended crop. The
// device commands, their order and the processing are the data source's; the timer ticks between the steps
// become bounded waits for the scanner to turn idle.
#include <atomic>
#include <cstdlib>
#include <utility>
#include <vector>

#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "chain/process_frame.h"
#include "chain/transfer_pixels.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/error_report.h"
#include "device/startup_data.h"
#include "device_guard.h"
#include "picture.h"
#include "scan_support.h"
#include "session.h"
#include "ui/workflows/exposure_measure.h"
#include "ui/workflows/scan_setup.h"

namespace lx9::sane {

namespace {

constexpr int kPreviewLines = 896;
constexpr int kPreviewSamples = 512;
constexpr uint32_t kPreviewBlockBytes = 32768;
constexpr uint32_t kPreviewRawBytes = 917504;
constexpr int32_t kLinesPerRead = 32;

class FrameScan {
  public:
    FrameScan(ReportSink* sink, const std::atomic<bool>* cancel, int frame)
        : sink_(sink), cancel_(cancel), frame_(frame) {}

    Outcome Index(Picture* picture);
    Outcome Final(int windowMode, Picture* picture);
    Outcome Preview();

  private:
    Outcome Idle() { return WaitIdle(sink_, kIdleBoundMs, cancel_); }
    Outcome ReadLines(uint8_t* raw, int32_t lines, int32_t samples);

    ReportSink* sink_;
    const std::atomic<bool>* cancel_;
    int frame_;
};

// The index-selected workflow's steps 3 to 5 for one frame: its cell of the index sheet is the display copy.
Outcome FrameScan::Index(Picture* picture) {
    if (Outcome o = Idle(); !o.Good()) return o;
    if (!SetupIndexFrame(frame_, 2)) return ReportFailure(sink_, "index scan set-up");
    if (Outcome o = Idle(); !o.Good()) return o;
    if (Outcome o = Idle(); !o.Good()) return o;
    Block raw(kIndexBytes);
    if (raw.get() == nullptr) return NoMemory(sink_);
    if (!ReadDeviceData(kReadImage, 1, 1, 0, raw.get())) return ReportFailure(sink_, "index read");
    IndexImage cell{};
    const Outcome made = MakeIndexCell(sink_, frame_, raw.get(), &cell);
    if (made.Good()) PictureFromDib(cell.pixels, kIndexImageWidth, kIndexImageHeight, picture);
    FreeLockedBlock(cell.pixels);
    return made;
}

// Step 101's reads: blocks of 32 lines, each after the status guard; cancel is looked at between blocks.
Outcome FrameScan::ReadLines(uint8_t* raw, int32_t lines, int32_t samples) {
    uint32_t offset = 0;
    for (int32_t toGo = lines; toGo > 0;) {
        if (Cancelled(cancel_)) return Fail(Status::kCancelled, "cancelled");
        if (Outcome o = Idle(); !o.Good()) return o;
        const int32_t n = toGo < kLinesPerRead ? toGo : kLinesPerRead;
        const uint32_t bytes = static_cast<uint32_t>(n) * static_cast<uint32_t>(samples) * 2;
        if (!ReadDeviceData(kReadImage, 0, bytes, offset, raw + offset))
            return ReportFailure(sink_, "image read");
        offset += bytes;
        toGo -= n;
    }
    return {};
}

// The final scan's image step (6, 7, 100, 101, 8) for cropRect, then the pixels FinalStep transfers.
Outcome FrameScan::Final(int windowMode, Picture* picture) {
    finalWindowMode = windowMode;
    if (Outcome o = Idle(); !o.Good()) return o;
    if (!SetupFinalFrame(sink_, frame_)) return ReportFailure(sink_, "scan set-up");
    if (Outcome o = Idle(); !o.Good()) return o;
    const int32_t lines = std::abs(cropRect.right - cropRect.left);
    const int32_t samples = std::abs(cropRect.bottom - cropRect.top);
    if (Outcome o = Idle(); !o.Good()) return o;
    Block raw(static_cast<size_t>(lines) * static_cast<size_t>(samples) * 2);
    if (raw.get() == nullptr) return NoMemory(sink_);
    if (Outcome o = ReadLines(raw.get(), lines, samples); !o.Good()) return o;

    Block extraction(static_cast<size_t>(lines) * static_cast<size_t>(samples) * 3);
    if (extraction.get() == nullptr) return NoMemory(sink_);
    PictImage image{extraction.get(), 0, 0};
    frameExposure[frame_] =
        ProcessFrame(sink_, &image, raw.get(), lines, samples, windowMode, &frameBaseData[frame_], rotate180,
                     frameExposure[frame_], frame_ - 1);
    if (ReportEnded(sink_)) return FromReport(*sink_, "processing");
    // The geometry did not fit: the data source never offers an empty image either.
    if (image.data == extraction.get() || image.rows <= 0 || image.cols <= 0)
        return ReportFailure(sink_, "processing");
    extraction.release();
    std::vector<uint8_t> bits(TransferPixelBytes(image));
    CopyTransferPixels(image, rotate180, bits.data());
    PictureFromDib(bits.data(), image.cols, image.rows, picture);
    FreeLockedBlock(image.data);
    return {};
}

// The crop window's preview (steps 9, 10, 21, 22, 11): it measures the frame on negative film, and an
// extended crop of a negative reuses that measurement.
Outcome FrameScan::Preview() {
    if (Outcome o = Idle(); !o.Good()) return o;
    if (!SetupPreviewWindow(sink_, frame_)) return ReportFailure(sink_, "preview set-up");
    if (Outcome o = Idle(); !o.Good()) return o;
    if (Outcome o = Idle(); !o.Good()) return o;
    Block raw(kPreviewRawBytes);
    if (raw.get() == nullptr) return NoMemory(sink_);
    for (uint32_t offset = 0; offset < kPreviewRawBytes; offset += kPreviewBlockBytes) {
        if (Cancelled(cancel_)) return Fail(Status::kCancelled, "cancelled");
        if (Outcome o = Idle(); !o.Good()) return o;
        if (!ReadDeviceData(kReadImage, 0, kPreviewBlockBytes, offset, raw.get() + offset))
            return ReportFailure(sink_, "preview read");
    }
    Block extraction(static_cast<size_t>(kPreviewLines) * kPreviewSamples * 3);
    if (extraction.get() == nullptr) return NoMemory(sink_);
    PictImage image{extraction.get(), 0, 0};
    frameExposure[frame_] =
        ProcessFrame(sink_, &image, raw.get(), kPreviewLines, kPreviewSamples, kModeStandard,
                     &frameBaseData[frame_], rotate180, frameExposure[frame_], frame_ - 1);
    if (ReportEnded(sink_)) return FromReport(*sink_, "preview processing");
    extraction.release();
    FreeLockedBlock(image.data);
    return {};
}

}  // namespace

Status Session::PrepareScan(int film, bool turn) {
    if (!open_) return Finish(Status::kInvalid, "the session is not open");
    if (const Status ready = EnsurePrepared(); ready != Status::kGood) return ready;
    // The Property dialog's change of film: new starting exposures.
    if (filmType != film) {
        filmType = film;
        ComputeStartingExposures();
    }
    rotate180 = turn ? 1 : 0;
    return Status::kGood;
}

Status Session::Scan(const FrameRequest& request, Picture* picture, const std::atomic<bool>* cancel) {
    int width = 0;
    int height = 0;
    if (picture == nullptr || PredictSize(request, &width, &height) != Status::kGood)
        return Finish(Status::kInvalid, "the request is outside the limits");
    if (const Status ready = PrepareScan(request.film, request.turn); ready != Status::kGood) return ready;
    if (request.frame > frameCount) return Finish(Status::kInvalid, "the cartridge has no such frame");
    FrameScan scan(sink_.get(), cancel, request.frame);
    Outcome done;
    switch (request.mode) {
        case Mode::kIndex:
            done = scan.Index(picture);
            break;
        case Mode::kStandard:
            cropRect = CropRect{0, 0, 896, 512};
            done = scan.Final(kWindowStandard, picture);
            break;
        case Mode::kExtended:
            done = scan.Preview();
            if (!done.Good()) break;
            cropRect = CropRect{request.crop[0], request.crop[1], request.crop[2], request.crop[3]};
            done = scan.Final(kWindowExtended, picture);
            break;
    }
    return Finish(done.status, done.reason);
}

}  // namespace lx9::sane
