#include "device/preparation_state.h"

#include "device/device_state.h"

namespace lx9 {

int32_t prepState = kPrepWake;
int32_t tickIdle = 1;
int32_t firstPreparation = 1;

int32_t CheckScannerUnchanged() {
    if (scannerWord == 0) return 1;
    if (scannerWord == startScannerWord) return 0;
    prepState = kPrepWake;
    return 2;
}

int32_t CheckCartridgeUnchanged() {
    if (cartridgeWord == startCartridgeWord) return 1;
    prepState = kPrepCartridge;
    return 0;
}

}  // namespace lx9
