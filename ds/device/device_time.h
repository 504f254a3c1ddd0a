// Waiting and the time for the device work: Sleep and GetTickCount in the data source, the monotonic clock
// elsewhere.
#pragma once

#include <cstdint>

namespace lx9 {

void WaitMs(uint32_t milliseconds);
// Milliseconds on a clock that never goes back (it may wrap: only differences are used).
uint32_t TickMs();

}  // namespace lx9
