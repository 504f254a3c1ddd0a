// The scanner driven synchronously, one call per piece of work: what the SANE backend needs of the scanner
// core (the device command layer, the start-up's device work, the exposure measurement and the frame
// processing chain), without windows, timers or message boxes. Every wait is bounded; a failure is a Status
// and a reason for the debug log, never a hang.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <memory>
#include <vector>

namespace lx9 {
struct ReportSink;  // where the scanner core reports a failure
}

namespace lx9::sane {

enum class Status { kGood, kNoDocs, kIoError, kDeviceBusy, kCancelled, kNoMem, kInvalid };

enum class Mode { kIndex = 0, kStandard = 1, kExtended = 2 };

// What to scan. crop is used in extended mode only: left, top, right, bottom on the extended grid where the
// whole frame is 1792 x 1024 (the values the crop window puts in cropRect, with the same limits: multiples of
// 4, 0 <= left < right <= kCropRightLimit, 0 <= top < bottom <= kCropBottomLimit, and at most
// kMaxExtendedSamples of (right - left) x (bottom - top), the readout the scanner's buffer holds; the whole
// frame is more than that).
struct FrameRequest {
    Mode mode = Mode::kStandard;
    int frame = 1;      // 1 .. FrameCount()
    int film = 0;       // 0 negative, 1 positive
    bool turn = false;  // rotate180
    int32_t crop[4] = {0, 0, 1792, 1024};
};

constexpr int32_t kCropRightLimit = 1796;
constexpr int32_t kCropBottomLimit = 1024;
constexpr int64_t kMaxExtendedSamples = 458752;  // with the usual 917504-byte buffer
// The area limit of the scanner now open, as the crop window sets it: a preview pixel per 32 bytes of the
// device's buffer, 4 x 4 scan pixels each; kMaxExtendedSamples before a scanner has told its buffer size.
int64_t MaxExtendedSamples();

// A finished frame: top-down rows of RGB, width x height x 3 bytes, the pixels the data source transfers
// (its bottom-up BGR DIB of the same width and height, row height - 1 - y of the DIB being row y here).
// Index: 112 x 64, the frame's cell of the index sheet; standard: 896 x 512; extended: (right - left) x
// (bottom - top) of the crop.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Width and height a request will produce, known before the scan (for sane_get_parameters); kInvalid for a
// request outside the limits.
Status PredictSize(const FrameRequest& request, int* width, int* height);

// Width and height of the index sheet of a cartridge (644 wide; 3, 5 or 8 rows of cells for 15, 25 or 40
// frames); kInvalid for another frame count.
Status PredictSheetSize(int frameCount, int* width, int* height);

// The scanner core keeps its state per process (as the data source does): one session at a time is open.
class Session {
  public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the port (a LX9Comm port path; empty: LX9_PORT or the library's default) and runs the start-up's
    // device work: identify, wake-up, calibration and shading tables, waiting at most cartridgeWaitMs for a
    // cartridge (kNoDocs after it), film information and starting exposures. Anything but kGood leaves the
    // session closed: kDeviceBusy when the port exists but is held (or another session is open), kIoError
    // for a missing port or a device failure, kNoDocs without a (usable) cartridge.
    Status Open(const std::string& port, int cartridgeWaitMs);
    void Close();
    bool IsOpen() const;

    // The loaded cartridge's frame count (15, 25 or 40; 0 before Open). Refresh re-reads the status and, when
    // the cartridge changed, the film information.
    int FrameCount() const;
    Status Refresh();

    // Scans one frame (the exposure measurement first on negative film) into picture. cancel is polled
    // between device blocks; when it becomes true the scan ends with kCancelled and the scanner stays usable.
    // Extended mode scans the standard preview first, as the crop window does (the crop of a negative reuses
    // its measurement). A device failure (kIoError, kNoMem) closes the session as the data source's error
    // report closes the port; kNoDocs (the cartridge went) and kDeviceBusy leave it open.
    Status Scan(const FrameRequest& request, Picture* picture, const std::atomic<bool>* cancel);

    // The index sheet of the whole cartridge, as the data source offers it after an index scan of all frames:
    // the frames scanned five at a time from the top, each frame's thumbnail (the picture an index request
    // gives) in its cell, frame 1 top left; a frame whose read failed gets a dark grey cell. film and turn as
    // in a FrameRequest; cancel is polled between groups and frames.
    Status ScanIndexSheet(int film, bool turn, Picture* picture, const std::atomic<bool>* cancel);

    // Waits (bounded) for the scanner to be idle, then ejects the cartridge.
    Status Eject();

    // Why the last call failed, for the debug log.
    const std::string& Reason() const;

  private:
    Status Finish(Status status, std::string reason);
    Status EnsurePrepared();
    Status PrepareScan(int film, bool turn);

    std::string reason_;
    bool open_ = false;
    int cartridgeWaitMs_ = 0;
    std::unique_ptr<ReportSink> sink_;
};

}  // namespace lx9::sane
