// The one way a TWAIN operation refuses: store the condition, show the error box when there is a prefix,
// fail.
#pragma once

#include "lx9twain.h"

namespace lx9 {

// prefix null: no box.
TW_UINT16 Refuse(TW_UINT16 condition, const char* prefix);

}  // namespace lx9
