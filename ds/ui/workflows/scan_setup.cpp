#include "ui/workflows/scan_setup.h"

#include "device/commands.h"
#include "device/device_state.h"

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

}  // namespace lx9
