#include "chain/blend_curve.h"

namespace lx9 {

void BlendCurve(const uint8_t* src, uint8_t* dst, int factor) {
    if (src == nullptr || dst == nullptr) return;
    for (int i = 0; i < 256; ++i) {
        for (int k = 0; k < 3; ++k) {
            const int value = (src[3 * i + k] + i) * factor / 10;
            // Factor 5 always fits a byte; a larger one is held at white instead of wrapping round.
            dst[3 * i + k] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
        }
    }
}

}  // namespace lx9
