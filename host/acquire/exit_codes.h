// The program's exit codes (also listed in the usage text).
#pragma once

namespace lx9::acquire {

enum ExitCode : int {
    kExitDone = 0,
    kExitInternal = 1,  // out of memory or another unexpected failure
    kExitUsage = 2,
    kExitManager = 3,     // TWAIN_32.DLL missing, or it refused to open
    kExitSource = 4,      // source missing, refused to open or to enable
    kExitCapability = 5,  // a --set or --get refused
    kExitTransfer = 6,    // image information or transfer failed
    kExitFile = 7,        // an image file could not be written
    kExitTimeout = 8,     // nothing happened for --timeout seconds
    kExitNoImage = 9,     // the source was closed before any image came
    kExitScript = 10,     // a --script command failed or was not reached
};

}  // namespace lx9::acquire
