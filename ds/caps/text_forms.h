// The texts a MSG_SET writes back into the source-control file. Pure.
#pragma once

#include "lx9twain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lx9 {

// "%.6f" of a fixed-point item.
std::string Fix32Text(uint32_t bits);

// A range value, "%.6f" for TWTY_FIX32 and "%ld" otherwise.
std::string RangeValueText(uint32_t value, TW_UINT16 itemType);

// "min_to_max,step" in the same number form.
std::string RangeText(uint32_t min, uint32_t max, uint32_t step, TW_UINT16 itemType);

// Pieces joined by ","; as many whole pieces as a reader keeps (kMaxListItems, and within the buffer a value
// text is read into), so that a later read never sees a piece cut in half.
std::string ListText(const std::vector<std::string>& pieces);

// "[" + items "%ld" joined by "," + "]", kept whole for a reader like ListText.
std::string ArrayText(const std::vector<int32_t>& items);

}  // namespace lx9
