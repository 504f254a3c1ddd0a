// The buffers a device error report releases, registered by the windows that own them.
#pragma once

namespace lx9 {

// Runs the registered releases (preview buffers first, then index images).
void RunReleaseHooks();

}  // namespace lx9
