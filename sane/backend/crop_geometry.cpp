#include "crop_geometry.h"

#include <algorithm>
#include <cmath>

namespace lx9::sane {

int FixedToGrid(SANE_Fixed value) {
    const int64_t steps = (static_cast<int64_t>(value) + kFixedStep / 2) / kFixedStep;
    return static_cast<int>(steps) * kGridStep;
}

bool EffectiveRect(const PictureRect& asked, int64_t areaLimit, PictureRect* scanned) {
    if (asked.x0 < 0 || asked.y0 < 0 || asked.x1 > kGridWidth || asked.y1 > kGridHeight) return false;
    if (asked.x1 <= asked.x0 || asked.y1 <= asked.y0) return false;
    *scanned = asked;
    const int64_t width = asked.x1 - asked.x0;
    const int64_t height = asked.y1 - asked.y0;
    if (width * height <= areaLimit) return true;
    const double shrink = std::sqrt(static_cast<double>(width * height) / static_cast<double>(areaLimit));
    // Down to the grid's step, so the shrunk area never passes the limit.
    const auto onGrid = [](double length) {
        return std::max(kGridStep, static_cast<int>(length) / kGridStep * kGridStep);
    };
    scanned->x1 = asked.x0 + onGrid(static_cast<double>(width) / shrink);
    scanned->y1 = asked.y0 + onGrid(static_cast<double>(height) / shrink);
    return true;
}

void SessionCrop(const PictureRect& rect, bool turn, int32_t crop[4]) {
    constexpr int kMirrorRight = kGridWidth + kGridStep;
    if (turn) {
        crop[0] = rect.x0;
        crop[1] = kGridHeight - rect.y1;
        crop[2] = rect.x1;
        crop[3] = kGridHeight - rect.y0;
    } else {
        crop[0] = kMirrorRight - rect.x1;
        crop[1] = rect.y0;
        crop[2] = kMirrorRight - rect.x0;
        crop[3] = rect.y1;
    }
}

}  // namespace lx9::sane
