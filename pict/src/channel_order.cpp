// Copies with the first and third channel exchanged. Unlike the other functions these advance the
// source record's data pointer and the output pointer past what they copied.
#include <cstdint>

#include "lx9pict.h"
#include "pict_common.h"

namespace {

void swapChannels(PictImage* src, uint8_t** out) {
    const int32_t n = lx9pict::pixelCount(*src);
    const uint8_t* s = src->data;
    uint8_t* o = *out;
    for (int32_t i = 0; i < n; ++i, s += 3, o += 3) {
        o[0] = s[2];
        o[1] = s[1];
        o[2] = s[0];
    }
    src->data += 3 * n;
    *out = o;
}

}  // namespace

void BGRToRGB(PictImage* src, uint8_t** out) {
    swapChannels(src, out);
}

void RGBToBGR(PictImage* src, uint8_t** out) {
    swapChannels(src, out);
}
