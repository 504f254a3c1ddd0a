// The whole run of an imaging application: manager, source, negotiation, enable, the message loop that
// hands every event to the source, the transfers on MSG_XFERREADY and the orderly close.
#pragma once

#include "options.h"

namespace lx9::acquire {

// Returns the program's exit code (exit_codes.h); messages go to standard output and standard error.
int RunAcquisition(const Options& options);

}  // namespace lx9::acquire
