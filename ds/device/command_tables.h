// The fixed data of the command set: command indices of the port library, the window mode table, the READ
// data types and the DeviceControl payloads.
#pragma once

#include <cstdint>

namespace lx9 {

// Command indices of LX9_Communication.
enum CommandIndex : int32_t {
    kCmdTestUnitReady = 1,
    kCmdRequestSense = 2,
    kCmdInquiry = 3,
    kCmdScan = 16,
    kCmdSetWindow = 17,
    kCmdRead = 20,
    kCmdVendorC1 = 23,
};

// One row per windowMode, bytes as they appear in the SET WINDOW payload.
struct WindowModeRow {
    uint8_t resolution[4];  // payload 4-7: the resolution pair
    uint8_t value[2];       // payload 26-27
    uint8_t modeBits;       // payload 29 before film x 16 + pass are added
    uint8_t tail[4];        // payload 30-33
};
constexpr int kWindowModes = 3;
extern const WindowModeRow windowModeTable[kWindowModes];

// READ data type code by the callers' index.
constexpr int kReadTypes = 5;
extern const uint8_t readTypeCodes[kReadTypes];

struct ControlRow {
    int32_t selector;
    uint8_t payload[4];  // function word, value word
};
constexpr int kControlRows = 2;
extern const ControlRow controlTable[kControlRows];

}  // namespace lx9
