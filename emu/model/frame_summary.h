#pragma once
#include <cstdint>

namespace lx9emu {

struct FrameSummary {
    uint8_t highlightBlue = 0, highlightGreen = 0, highlightRed = 0;
    uint16_t brightnessWord = 0;
};

}  // namespace lx9emu
