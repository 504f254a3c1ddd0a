// MSG_SET and MSG_RESET: rewriting a capability's entries in the source-control file.
#pragma once

#include "lx9twain.h"

#include <string>

namespace lx9 {

// Whether "Set" lists a container type, so that a set can store a value.
bool IsSettable(const char* section);

// Whether a reset succeeds: "Reset" does not refuse it and the reply can be built from what it restores.
bool IsResettable(TW_UINT16 capNumber, const char* section);

// Whether the application's container holds what MSG_GETCURRENT answers (distances in the current unit).
bool HoldsCurrentValue(const char* section, const TW_CAPABILITY& cap);

// Stores the application's container. Returns 0 with setKey naming the entry written ("Current" or
// "Allowed"), TWCC_BADVALUE (container type not listed in "Set", unreadable container, one value not allowed;
// nothing written) or TWCC_BUMMER (the file could not be written).
TW_UINT16 SetCapability(const char* section, const TW_CAPABILITY& cap, std::string& setKey);

// "PowerON" back into "Allowed" and "Default" into "Current". Returns 0, TWCC_BADPROTOCOL (the capability
// refuses resets) or TWCC_BUMMER (the file could not be written).
TW_UINT16 ResetCapability(const char* section);

}  // namespace lx9
