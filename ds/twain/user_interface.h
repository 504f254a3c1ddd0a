// The hook through which MSG_ENABLEDS opens the source's user interface (registered by the user interface).
#pragma once

#include "lx9twain.h"

namespace lx9 {

// Opens the interface owned by parent; returns false when it cannot be opened.
using UserInterfaceOpener = bool (*)(HWND parent);

// With no opener registered, MSG_ENABLEDS opens nothing and succeeds. Pass null to unregister.
void SetUserInterfaceOpener(UserInterfaceOpener opener);

}  // namespace lx9
