#include <windows.h>

#include "device/device_time.h"

namespace lx9 {

void WaitMs(uint32_t milliseconds) {
    Sleep(milliseconds);
}

uint32_t TickMs() {
    return GetTickCount();
}

}  // namespace lx9
