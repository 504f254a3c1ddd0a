#include "device/device_state.h"

namespace lx9 {

uint16_t scannerWord = 0;
int16_t cartridgeWord = 0;
uint32_t deviceBufferSize = 0;

uint16_t startScannerWord = 0;
int16_t startCartridgeWord = 0;
uint16_t calibrationWord = 0;
uint16_t filmWord = 0;

uint8_t frameCount = 0;
uint8_t frameHighlights[kFrameSlots][3] = {};
uint8_t frameBrightness[kFrameSlots] = {};
uint16_t frameBaseExposure[kFrameSlots] = {};
uint16_t frameExposure[kFrameSlots] = {};
BaseData frameBaseData[kFrameSlots] = {};

int32_t filmType = kFilmNegative;

int32_t memoryFailed = 0;
int32_t idMismatch = 0;
int32_t standbyOff = 0;
int32_t cartridgeFailed = 0;
int32_t standbyOnFailed = 0;

void ClearErrorFlags() {
    memoryFailed = 0;
    idMismatch = 0;
    standbyOff = 0;
    cartridgeFailed = 0;
    standbyOnFailed = 0;
}

}  // namespace lx9
