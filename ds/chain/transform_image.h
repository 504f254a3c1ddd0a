// Copy, turn and flip a 24-bit image. src holds b rows of a pixels. Rows marked aligned are padded to a
// multiple of 4 bytes (padding written as 0), so buffers must hold the aligned sizes:
//   0    plain copy of a x b pixels                                   (packed -> packed)
//   90   a rows of b pixels; row r = source column a-1-r, rows 0..b-1  (aligned -> aligned)
//   180  b rows of a pixels; row r = source row b-1-r, reversed        (aligned -> aligned)
//   270  a rows of b pixels; row r = source column r, rows b-1..0      (aligned -> aligned)
//   500  b rows of a pixels; row r = source row b-1-r                  (packed -> packed)
// Any other operation, or a size below 1, does nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9 {

void TransformImage(int a, int b, const uint8_t* src, uint8_t* dst, int operation);

// Bytes of a row of n pixels padded to a multiple of 4.
constexpr size_t AlignedRowBytes(int n) {
    return (static_cast<size_t>(n) * 3 + 3) & ~static_cast<size_t>(3);
}

}  // namespace lx9
