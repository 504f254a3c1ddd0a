#include "device/device_checks.h"

#include "device/device_state.h"

namespace lx9 {

int32_t prepState = kPrepWake;

int32_t CheckScannerUnchanged() {
    if (scannerWord == 0) return kScannerStandbyOff;
    if (scannerWord == startScannerWord) return 0;
    prepState = kPrepWake;
    return kScannerRestarted;
}

int32_t CheckCartridgeUnchanged() {
    if (cartridgeWord == startCartridgeWord) return 1;
    prepState = kPrepWaitCartridge;
    return 0;
}

}  // namespace lx9
