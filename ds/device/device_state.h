// Process-wide device values shared by start-up, the workflows, the windows and the chain: what the last
// status request said, what start-up remembered, the cartridge's per-frame values and the five error flags.
#pragma once

#include <cstdint>

#include "lx9pict.h"

namespace lx9 {

// Per-frame tables are indexed by frame number 1..40; entry 0 is not used.
constexpr int kMaxFrames = 40;
constexpr int kFrameSlots = kMaxFrames + 1;

// Written by every successful GetDeviceStatus (callers pass these).
extern uint16_t scannerWord;       // 0: standby switch off; else the scanner's current power-on period
extern int16_t cartridgeWord;      // 0: none; negative: unusable; positive: the loaded cartridge
extern uint32_t deviceBufferSize;  // from the identification reply

// Remembered by start-up to notice a restarted scanner or another cartridge.
extern uint16_t startScannerWord;
extern int16_t startCartridgeWord;
extern uint16_t calibrationWord;  // bytes 2-3 of the shading calibration reply
extern uint16_t filmWord;         // bytes 2-3 of the film information

// The cartridge (from the film information).
extern uint8_t frameCount;                       // 15, 25 or 40
extern uint8_t frameHighlights[kFrameSlots][3];  // blue, green, red highlight levels
extern uint8_t frameBrightness[kFrameSlots];     // brightness word / 168
extern uint16_t frameBaseExposure[kFrameSlots];  // starting exposure
extern uint16_t frameExposure[kFrameSlots];      // exposure of the frame's next scan
extern BaseData frameBaseData[kFrameSlots];      // filled and refined by ProcessFrame

// The film setting: 0 negative, 1 positive.
extern int32_t filmType;
constexpr int32_t kFilmNegative = 0;
constexpr int32_t kFilmPositive = 1;

// Why an operation failed when the port library's last error is 0; each 0 or 1.
extern int32_t memoryFailed;
extern int32_t idMismatch;
extern int32_t standbyOff;
extern int32_t cartridgeFailed;
extern int32_t standbyOnFailed;

// Start-up clears them when the preparing dialog opens.
void ClearErrorFlags();

}  // namespace lx9
