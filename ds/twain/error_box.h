// The TWAIN error box most refusals show: prefix + condition text, caption "LX-9 TWAIN Source Error".
#pragma once

#include "lx9twain.h"

namespace lx9 {

// The fixed text for a condition code (unknown codes get the "Unknown Error" text).
const char* ConditionText(TW_UINT16 condition);

// Modal, owned by parentWindow, OK only; returns when the user closes it.
void ShowSourceError(const char* prefix, TW_UINT16 condition);

}  // namespace lx9
