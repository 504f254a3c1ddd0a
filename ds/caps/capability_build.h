// Building a capability's container from the control files for one message.
#pragma once

#include "caps/container.h"
#include "lx9twain.h"

#include <string>

namespace lx9 {

// The initial-control lookups every request starts from.
std::string SectionForCapability(TW_UINT16 cap);  // "CAP NUMBERS", "NONE" when the number is not listed
TW_UINT16 ItemTypeOf(const char* section);        // "Type" through "ItemType", 99 when unknown
TW_UINT16 ContainerNumber(const char* name);      // through "ConType", 99 when unknown

// The content of a container for a value text and the container entry ("Get", "Set"...) it is read
// with; distances in the current unit. Returns 0, TWCC_BADCAP (nothing to read, or nothing the value could be
// packed as) or TWCC_OPERATIONERROR (a distance, and the current unit cannot be read).
TW_UINT16 ContentFor(TW_UINT16 capNumber, const char* section, const std::string& containers,
                     const std::string& value, ContainerContent& content);

// The content msg's container holds, read from the files as BuildCapability reads it; results as ContentFor.
TW_UINT16 ReadCapability(TW_UINT16 capNumber, const char* section, TW_UINT16 msg, const std::string& setKey,
                         ContainerContent& content);

// A new movable block with the content in cap.hContainer. Returns 0, TWCC_BADCAP (nothing to pack) or
// TWCC_LOWMEMORY (hContainer null).
TW_UINT16 StoreNewContainer(const ContainerContent& content, TW_CAPABILITY& cap);

// Reads the value for msg (MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET; MSG_SET reads setKey) and
// packs it. A new movable block goes to cap.hContainer, except for MSG_SET, which writes into the
// application's block when the container fits and leaves the block untouched otherwise. Returns 0,
// TWCC_BADCAP, TWCC_OPERATIONERROR (as ContentFor) or TWCC_LOWMEMORY (hContainer null).
TW_UINT16 BuildCapability(const char* section, TW_UINT16 msg, const std::string& setKey, TW_CAPABILITY& cap);

}  // namespace lx9
