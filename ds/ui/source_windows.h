// The windows that enabling the source opens, handed to the TWAIN core (which cannot include this layer).
#pragma once

namespace lx9 {

// Registers the splash, the device-preparing dialog and the main window for MSG_ENABLEDS. The module's
// start-up calls it; test programs that show the real windows do too.
void UseSourceWindows();

}  // namespace lx9
