// The two time-out sets of the port, in milliseconds, in the field order of COMMTIMEOUTS.
#pragma once

#include <cstdint>

namespace lx9comm {

struct TimeoutSet {
    uint32_t readInterval;  // longest gap between two bytes of one read
    uint32_t readTotalMultiplier;
    uint32_t readTotalConstant;  // a read waits at most multiplier x bytes asked + constant
    uint32_t writeTotalMultiplier;
    uint32_t writeTotalConstant;

    bool operator==(const TimeoutSet&) const = default;
};

// Status replies: a silent device is noticed within about 100 ms.
inline constexpr TimeoutSet kShortTimeouts{35, 4, 100, 40, 100};
// Image data: the device may need seconds before the first byte of a piece.
inline constexpr TimeoutSet kLongTimeouts{35, 0, 5000, 40, 200};

}  // namespace lx9comm
