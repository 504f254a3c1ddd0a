// What device start-up makes of the scanner's data blocks: the film information (485 bytes) and the
// calibration reply (65548 bytes) with the shading reference (1024 bytes), each an exact buffer of the size
// start-up reads, then the starting exposures. Checked: film information with a frame count outside 1..40
// changes nothing; otherwise every frame of the count gets its values and none beyond; exposures stay in
// the 16-bit range the device takes without wrapping.
//
// Input: byte 0 the film type (0 negative, 1 positive, else another value), byte 1 which blocks (bit 0 film
// information, bit 1 calibration), then the film information and the calibration bytes (repeated to size).
#include <algorithm>
#include <cstring>

#include "device/device_state.h"
#include "device/startup_data.h"
#include "fuzz_input.h"

namespace {

using lx9fuzz::ExactBuffer;

struct Snapshot {
    uint8_t count;
    uint16_t film;
    uint8_t highlights[lx9::kFrameSlots][3];
    uint8_t brightness[lx9::kFrameSlots];
};

Snapshot Take() {
    Snapshot s;
    s.count = lx9::frameCount;
    s.film = lx9::filmWord;
    std::memcpy(s.highlights, lx9::frameHighlights, sizeof s.highlights);
    std::memcpy(s.brightness, lx9::frameBrightness, sizeof s.brightness);
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b) {
    return a.count == b.count && a.film == b.film &&
           std::memcmp(a.highlights, b.highlights, sizeof a.highlights) == 0 &&
           std::memcmp(a.brightness, b.brightness, sizeof a.brightness) == 0;
}

void ResetDeviceValues() {
    lx9::frameCount = 0;
    lx9::filmWord = lx9::calibrationWord = 0;
    std::memset(lx9::frameHighlights, 0, sizeof lx9::frameHighlights);
    std::memset(lx9::frameBrightness, 0, sizeof lx9::frameBrightness);
    std::memset(lx9::frameBaseExposure, 0, sizeof lx9::frameBaseExposure);
    std::memset(lx9::frameExposure, 0, sizeof lx9::frameExposure);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    ResetDeviceValues();
    lx9::filmType = data[0] < 2 ? data[0] : static_cast<int32_t>(data[0]);
    const std::span<const uint8_t> rest(data + 2, size - 2);
    const auto infoBytes = rest.first(std::min(rest.size(), lx9::kFilmInformationBytes));
    const auto calibrationBytes = rest.subspan(infoBytes.size());

    if (data[1] & 1) {
        ExactBuffer info(lx9::kFilmInformationBytes, infoBytes);
        // Start-up fills the frames of the first cartridge, then reads another's information.
        lx9::frameCount = 40;
        std::memset(lx9::frameHighlights, 0x33, sizeof lx9::frameHighlights);
        const Snapshot before = Take();
        const uint8_t count = info.data()[4];
        const bool unpacked = lx9::UnpackFilmInformation(info.data());
        LX9_FUZZ_CHECK(unpacked == (count >= 1 && count <= lx9::kMaxFrames));
        if (!unpacked) {
            LX9_FUZZ_CHECK(Same(before, Take()));
        } else {
            LX9_FUZZ_CHECK(lx9::frameCount == count);
            LX9_FUZZ_CHECK(lx9::frameHighlights[count][2] == info.data()[5 + 12 * (count - 1) + 2]);
        }
    }
    if (data[1] & 2) {
        ExactBuffer calibration(lx9::kCalibrationBytes, calibrationBytes);
        ExactBuffer reference(lx9::kShadingReferenceBytes,
                              calibrationBytes.subspan(std::min<size_t>(calibrationBytes.size(), 12)));
        lx9::LoadCalibration(calibration.data(), reference.data());
        LX9_FUZZ_CHECK(lx9::calibrationWord == (calibration.data()[2] << 8 | calibration.data()[3]));
    }
    lx9::ComputeStartingExposures();
    for (int f = 1; f <= lx9::frameCount; ++f) {
        LX9_FUZZ_CHECK(lx9::frameExposure[f] == lx9::frameBaseExposure[f]);
        if (lx9::filmType == lx9::kFilmNegative) LX9_FUZZ_CHECK(lx9::frameBaseExposure[f] <= 655);
        // Twice the calibration word, not a wrapped remainder of it.
        if (lx9::filmType == lx9::kFilmPositive)
            LX9_FUZZ_CHECK(lx9::frameBaseExposure[f] == std::min(2 * lx9::calibrationWord, 0xFFFF));
    }
    for (int f = lx9::frameCount + 1; f < lx9::kFrameSlots; ++f) LX9_FUZZ_CHECK(lx9::frameExposure[f] == 0);
    return 0;
}
