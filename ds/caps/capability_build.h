// Building a capability's container from the control files for one message.
#pragma once

#include "lx9twain.h"

#include <string>

namespace lx9 {

// The initial-control lookups every request starts from.
std::string SectionForCapability(TW_UINT16 cap);  // "CAP NUMBERS", "NONE" when the number is not listed
TW_UINT16 ItemTypeOf(const char* section);        // "Type" through "ItemType", 99 when unknown
TW_UINT16 ContainerNumber(const char* name);      // through "ConType", 99 when unknown

// Reads the value for msg (MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET; MSG_SET reads setKey) and
// packs it. A new movable block goes to cap.hContainer, except for MSG_SET, which writes into the
// application's block when the container fits and leaves the block untouched otherwise. Returns 0,
// TWCC_BADCAP (nothing to read, or nothing the value could be packed as) or TWCC_LOWMEMORY (hContainer null).
TW_UINT16 BuildCapability(const char* section, TW_UINT16 msg, const std::string& setKey, TW_CAPABILITY& cap);

}  // namespace lx9
