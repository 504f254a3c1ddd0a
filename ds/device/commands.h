// The scanner's command set: the data source's only way to the device. Each operation packs one command,
// runs the exchange with a fixed retry pattern and unpacks the reply. All return 1 on success and 0 on
// failure; the reason is then DeviceLastError().
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9 {

// What SetScanWindow packs (the payload's fixed parts come from the window mode table).
struct ScanWindow {
    uint8_t windowMode;         // 0 index, 1 standard, 2 extended
    uint8_t film;               // filmType
    uint8_t pass;               // 1 exposure measurement, 2 image
    uint8_t frame;              // 1..40
    uint8_t exposureCount;      // values at exposures
    const uint16_t* exposures;  // advanced past the values sent
    int32_t x, y, width, height;
};

enum WindowMode : uint8_t { kWindowIndex = 0, kWindowStandard = 1, kWindowExtended = 2 };

// READ data types, by the index the callers use.
enum ReadType : int {
    kReadImage = 0,
    kReadCalibration = 1,
    kReadStatusBlock = 2,
    kReadFilmInfo = 3,
    kReadShadingReference = 4
};

// DeviceControl selectors.
constexpr int32_t StandbyOn = 120;
constexpr int32_t EjectCartridge = 122;

// Ready flags bit 0: idle. Preparation flags: bit 0 calibration, bit 1 status block, bit 2 film information.
constexpr uint8_t kReadyIdle = 0x01;
constexpr uint8_t kPrepCalibration = 0x01;
constexpr uint8_t kPrepStatusBlock = 0x02;
constexpr uint8_t kPrepFilmInfo = 0x04;

// The identification this data source drives.
constexpr char kExpectedDeviceId[] = "MFG:NORVIK;MDL:LX-9";
// Room Inquire needs for the identification text (the whole reply has 72 bytes).
constexpr size_t kIdTextSize = 72;

// TEST UNIT READY. Any output may be null; callers pass &scannerWord and &cartridgeWord.
int32_t GetDeviceStatus(uint8_t* readyFlags, uint16_t* scanner, int16_t* cartridge,
                        uint8_t* preparationFlags);
// REQUEST SENSE for status code 0x0070 or 0x0071. The sense byte is written whenever the device sent one.
int32_t RequestSense(uint16_t code, uint8_t* senseByte);
// INQUIRY: the identification text (NUL-terminated, cut to the length of kExpectedDeviceId so that a longer
// identification beginning with it compares equal) and the device's buffer size. idTextSize >= kIdTextSize.
int32_t Inquire(char* idText, size_t idTextSize, uint32_t* bufferSize);
// SCAN.
int32_t StartScan();
// SET WINDOW; window->exposures ends up past the last value sent.
int32_t SetScanWindow(ScanWindow* window);
// READ: the device's reply data goes to destination, which must hold count bytes (count index images of
// 21504 bytes when image lines are read with qualifier 1); the port library refuses a longer reply.
int32_t ReadDeviceData(int typeIndex, uint16_t qualifier, uint32_t count, uint32_t start, void* destination);
// Vendor command C1 with a selector (StandbyOn, EjectCartridge).
int32_t DeviceControl(int32_t selector);
// After a refusal with status 0x70: asks for the sense byte and, when it is 1, polls until the device is
// idle. Polls are bounded (kRecoverPolls, kRecoverPollDelayMs apart); a device that stays busy fails.
int32_t RecoverFromSense();

// The reason of the last failure: the port library's last error, or 127 (a malformed reply) when this layer
// refused a reply the library had accepted (an identification that does not fit its 72 bytes).
int16_t DeviceLastError();

// Poll bound of RecoverFromSense (about 20 s in all); tests may shorten it. Restored by passing 0, 0.
constexpr int kRecoverPolls = 2000;
constexpr unsigned kRecoverPollDelayMs = 10;
void SetRecoverPolling(int polls, unsigned delayMs);

}  // namespace lx9
