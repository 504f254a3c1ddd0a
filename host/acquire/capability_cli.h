// --get and --set: a capability asked for or set through DG_CONTROL/DAT_CAPABILITY, printed as one line.
#pragma once

#include "options.h"
#include "twain_session.h"

#include <string>

namespace lx9::acquire {

// Prints "CAP ..." for a get, "QUERY CAP FLAGS" for a query, "SET CAP=VALUE" and the source's answer for a
// set. False with a reason when the source refuses or answers with something unreadable.
bool RunCapabilityRequest(TwainSession& session, const CapabilityRequest& request, std::string& error);

// Sets one capability to a one value; used for the transfer mechanism as well.
bool SetCapability(TwainSession& session, TW_UINT16 cap, const std::string& valueText, std::string& error);

}  // namespace lx9::acquire
