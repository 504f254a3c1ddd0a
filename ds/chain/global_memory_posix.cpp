// Without movable memory a block is plain heap memory, its pointer its handle.
#include <cstdlib>

#include "chain/global_memory.h"

namespace lx9 {

uint8_t* AllocLockedBlock(size_t bytes) {
    return static_cast<uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes));
}

void FreeLockedBlock(void* pixels) {
    std::free(pixels);
}

}  // namespace lx9
