// The scan windows of the index scans, and SCAN after them.
#pragma once

#include <cstdint>

namespace lx9 {

// Scan window and SCAN for an index group (frames bottom + 1 .. top, five exposures from top down) or for
// one frame (pass 1 measures, pass 2 scans). 1 when both commands succeed.
int32_t SetupIndexGroup(int32_t top, int32_t bottom);
int32_t SetupIndexFrame(int32_t frame, int32_t pass);

}  // namespace lx9
