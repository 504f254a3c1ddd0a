#include "picture.h"

#include <cstdlib>

#include "device/device_state.h"

namespace lx9::sane {

namespace {

constexpr int kIndexWidth = 112;
constexpr int kIndexHeight = 64;
constexpr int kStandardWidth = 896;
constexpr int kStandardHeight = 512;

bool CropFits(const int32_t (&crop)[4]) {
    const int32_t left = crop[0], top = crop[1], right = crop[2], bottom = crop[3];
    for (const int32_t v : crop) {
        if (v % 4 != 0) return false;
    }
    if (left < 0 || right > kCropRightLimit || left >= right) return false;
    if (top < 0 || bottom > kCropBottomLimit || top >= bottom) return false;
    return static_cast<int64_t>(right - left) * (bottom - top) <= MaxExtendedSamples();
}

}  // namespace

int64_t MaxExtendedSamples() {
    if (deviceBufferSize == 0) return kMaxExtendedSamples;
    return static_cast<int64_t>(deviceBufferSize >> 5) * 16;
}

Status PredictSize(const FrameRequest& request, int* width, int* height) {
    if (width == nullptr || height == nullptr) return Status::kInvalid;
    if (request.frame < 1 || request.frame > 40 || (request.film != 0 && request.film != 1))
        return Status::kInvalid;
    switch (request.mode) {
        case Mode::kIndex:
            *width = kIndexWidth;
            *height = kIndexHeight;
            return Status::kGood;
        case Mode::kStandard:
            *width = kStandardWidth;
            *height = kStandardHeight;
            return Status::kGood;
        case Mode::kExtended:
            if (!CropFits(request.crop)) return Status::kInvalid;
            // Readout lines run along the frame's width: |right - left| columns of |bottom - top| rows.
            *width = request.crop[2] - request.crop[0];
            *height = request.crop[3] - request.crop[1];
            return Status::kGood;
    }
    return Status::kInvalid;
}

void PictureFromDib(const uint8_t* bits, int width, int height, Picture* picture) {
    picture->width = width;
    picture->height = height;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    picture->rgb.assign(rowBytes * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = bits + rowBytes * static_cast<size_t>(height - 1 - y);
        uint8_t* out = picture->rgb.data() + rowBytes * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

}  // namespace lx9::sane
