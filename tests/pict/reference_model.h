// A plain model of the LX9Pict pixel arithmetic, written step by step from the algorithm descriptions
// (pass after pass, per-byte element look-up, closed-form resampling positions) so that the library's
// folded and hoisted loops are checked against something built differently.
#ifndef LX9PICT_TESTS_REFERENCE_MODEL_H
#define LX9PICT_TESTS_REFERENCE_MODEL_H

#include <cstdint>
#include <random>
#include <vector>

#include "lx9pict.h"

namespace ref {

using Bytes = std::vector<uint8_t>;

struct ShadingTables {
    std::vector<uint16_t> dark, gain;
};
ShadingTables shadingTables(const Bytes& lines, int lineCount, const uint16_t* map10, const Bytes& conv);
// One shading call: lineCount lines from cursor, layouts 1 and 3 alternating. Returns the bytes consumed.
int shade(uint8_t* cursor, int layout, int start, int width, int lineCount, const ShadingTables& t,
          bool nega);

void standardData(uint8_t* dst, const uint8_t* src, int width, int lines);

void negaType(Bytes& pixels, const BaseData& base, const uint8_t* curve);
void posiType(Bytes& pixels, const BaseData& base, const uint8_t* curve);
void shiftGraph(Bytes& pixels, const int16_t* offsets);
void rgbData(Bytes& pixels, const int16_t* matrix);

// Output of UseSizing: rows x cols pixels.
Bytes sizing(const Bytes& src, int rows, int cols, int step, int& outRows, int& outCols);

inline Bytes randomBytes(std::mt19937& rng, size_t n, int lo = 0, int hi = 255) {
    std::uniform_int_distribution<int> d(lo, hi);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(d(rng));
    return b;
}

}  // namespace ref

#endif
