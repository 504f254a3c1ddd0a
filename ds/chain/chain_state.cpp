#include "chain/chain_state.h"

namespace lx9 {

CropRect cropRect = {0, 0, 896, 512};
int32_t rotate180 = 0;
int16_t toneIndex = 0;
int16_t shiftOffsets[3] = {0, 0, 0};

}  // namespace lx9
