// The scanner driven synchronously, one call per piece of work: what the SANE backend needs of the scanner
// core (the device command layer, the start-up's device work, the exposure measurement and the frame
// processing chain), without windows, timers or message boxes. Every wait is bounded; a failure is a Status
// and a reason for the debug log, never a hang.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace lx9::sane {

enum class Status { kGood, kNoDocs, kIoError, kDeviceBusy, kCancelled, kNoMem, kInvalid };

enum class Mode { kIndex = 0, kStandard = 1, kExtended = 2 };

// What to scan. crop is used in extended mode only: left, top, right, bottom on the extended grid where the
// whole frame is 1792 x 1024 (the values the crop window puts in cropRect, with the same limits).
struct FrameRequest {
    Mode mode = Mode::kStandard;
    int frame = 1;      // 1 .. FrameCount()
    int film = 0;       // 0 negative, 1 positive
    bool turn = false;  // rotate180
    int32_t crop[4] = {0, 0, 1792, 1024};
};

// A finished frame: top-down rows of RGB, width x height x 3 bytes, the pixels the data source transfers.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Width and height a request will produce, known before the scan (for sane_get_parameters); kInvalid for a
// request outside the limits.
Status PredictSize(const FrameRequest& request, int* width, int* height);

class Session {
public:
    // Opens the port (a LX9Comm port path) and runs the start-up's device work: identify, wake-up,
    // calibration and shading tables, waiting at most cartridgeWaitMs for a cartridge (kNoDocs after it),
    // film information and starting exposures.
    Status Open(const std::string& port, int cartridgeWaitMs);
    void Close();
    bool IsOpen() const;

    // The loaded cartridge's frame count (15, 25 or 40; 0 before Open). Refresh re-reads the status and, when
    // the cartridge changed, the film information.
    int FrameCount() const;
    Status Refresh();

    // Scans one frame (the exposure measurement first on negative film) into picture. cancel is polled
    // between device blocks; when it becomes true the scan ends with kCancelled and the scanner stays usable.
    Status Scan(const FrameRequest& request, Picture* picture, const std::atomic<bool>* cancel);

    Status Eject();

    // Why the last call failed, for the debug log.
    const std::string& Reason() const;

private:
    std::string reason_;
    bool open_ = false;
};

}  // namespace lx9::sane
