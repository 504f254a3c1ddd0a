#include "chain/shading.h"

#include <cstdlib>

#include "chain/chain_state.h"
#include "device/device_state.h"
#include "lx9pict.h"

namespace lx9 {

namespace {

bool FitsInt16(long value) {
    return value >= 0 && value <= 32767;
}

}  // namespace

bool ShadingGeometryFor(int mode, ShadingGeometry* geometry) {
    switch (mode) {
        case 0:
            *geometry = {0, 0, 64, 112};
            return true;
        case 1:
            *geometry = {1, 0, 512, 896};
            return true;
        case 2: {
            const long start = cropRect.top < cropRect.bottom ? cropRect.top : cropRect.bottom;
            const long width = std::labs(static_cast<long>(cropRect.bottom) - cropRect.top);
            const long lines = std::labs(static_cast<long>(cropRect.right) - cropRect.left);
            if (!FitsInt16(start) || !FitsInt16(width) || !FitsInt16(lines)) return false;
            *geometry = {2, static_cast<int16_t>(start), static_cast<int16_t>(width),
                         static_cast<int16_t>(lines)};
            return true;
        }
        default:
            return false;
    }
}

void ApplyShading(int mode, uint8_t* raw) {
    ShadingGeometry geometry{};
    if (raw == nullptr || !ShadingGeometryFor(mode, &geometry)) return;
    ShadingPass pass{raw, geometry.layout, geometry.start, geometry.width};
    if (filmType == kFilmNegative) {
        NegaShading(&pass, geometry.lines);
    } else {
        PosiShading(&pass, geometry.lines);
    }
}

}  // namespace lx9
