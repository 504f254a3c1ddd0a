#pragma once
#include <cstdint>

namespace lx9emu {

// A 5 x 7 digit font: row r of digit d is kDigitFont[d][r], bit 4 the leftmost column.
constexpr int kDigitColumns = 5;
constexpr int kDigitRows = 7;
extern const uint8_t kDigitFont[10][kDigitRows];

inline bool digitPixel(int digit, int column, int row) {
    return (kDigitFont[digit][row] >> (kDigitColumns - 1 - column)) & 1;
}

}  // namespace lx9emu
