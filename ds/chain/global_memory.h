// Image buffers: movable global blocks in the data source, kept locked while in use and known by their pixel
// pointer; plain heap blocks where there is no global memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9 {

// Allocates a movable block and locks it; null when either step fails (nothing is left allocated).
uint8_t* AllocLockedBlock(size_t bytes);
// Unlocks and frees the block behind a pointer from AllocLockedBlock; null is ignored.
void FreeLockedBlock(void* pixels);

}  // namespace lx9
