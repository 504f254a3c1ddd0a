// Geometry of the crop preview window.
#include "ui/crop_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lx9 {

int32_t ClampPreviewX(int32_t x) {
    return std::clamp<int32_t>(x, 0, kPreviewWidth - 1);
}

int32_t ClampPreviewY(int32_t y) {
    return std::clamp<int32_t>(y, 0, kPreviewHeight - 1);
}

uint32_t CropAreaLimit(uint32_t bufferSize) {
    return bufferSize >> 5;
}

void LimitCropArea(CropBand& band, uint32_t limit) {
    const int32_t dx = band.x2 - band.x1;
    const int32_t dy = band.y2 - band.y1;
    const uint32_t area = static_cast<uint32_t>(std::abs(dx * dy));
    if (area <= limit) {
        return;
    }
    if (limit == 0) {
        band.x2 = band.x1;
        band.y2 = band.y1;
        return;
    }
    const double s = std::sqrt(static_cast<double>(area) / static_cast<double>(limit));
    band.x2 = band.x1 + static_cast<int32_t>(dx / s);
    band.y2 = band.y1 + static_cast<int32_t>(dy / s);
}

uint32_t CropWidthValue(const CropBand& band) {
    return static_cast<uint32_t>(std::abs(band.x2 - band.x1) + 1) * 4;
}

uint32_t CropHeightValue(const CropBand& band) {
    return static_cast<uint32_t>(std::abs(band.y2 - band.y1) + 1) * 4;
}

bool CropBandEmpty(const CropBand& band) {
    return band.x1 == band.x2 || band.y1 == band.y2;
}

RECT CropRectFromBand(const CropBand& band, bool turned) {
    const LONG xmin = std::min(band.x1, band.x2);
    const LONG xmax = std::max(band.x1, band.x2);
    const LONG ymin = std::min(band.y1, band.y2);
    const LONG ymax = std::max(band.y1, band.y2);
    RECT r;
    if (turned) {
        r.left = 4 * xmin;
        r.top = 1024 - 4 * ymax;
        r.right = 4 * xmax;
        r.bottom = 1024 - 4 * ymin;
    } else {
        r.left = 1792 - 4 * xmax;
        r.top = 4 * ymin;
        r.right = 1796 - 4 * xmin;
        r.bottom = 4 * ymax + 4;
    }
    return r;
}

}  // namespace lx9
