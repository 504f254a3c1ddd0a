// SCAN, SET WINDOW, READ and the vendor control command.
#include <cstring>

#include "device/command_tables.h"
#include "device/commands.h"
#include "device/exchange.h"
#include "lx9comm.h"

namespace lx9 {

namespace {

constexpr size_t kWindowFixedBytes = 46;
constexpr size_t kReadPayloadBytes = 12;

void PutLength(int32_t value, uint8_t* bytes) {
    const uint32_t word = static_cast<uint32_t>(value);
    SetLength(&word, bytes);
}

}  // namespace

int32_t StartScan() {
    static const uint8_t payload[2] = {0x01, 0x00};
    return ActionExchange(payload, nullptr, sizeof payload, kCmdScan);
}

int32_t SetScanWindow(ScanWindow* window) {
    if (window == nullptr || window->windowMode >= kWindowModes) return 0;
    if (window->exposureCount > 0 && window->exposures == nullptr) return 0;
    const WindowModeRow& row = windowModeTable[window->windowMode];

    uint8_t payload[kWindowFixedBytes + 2 * 255] = {};
    std::memcpy(payload + 4, row.resolution, 4);
    PutLength(window->x, payload + 8);
    PutLength(window->y, payload + 12);
    PutLength(window->width, payload + 16);
    PutLength(window->height, payload + 20);
    payload[24] = 0x05;
    payload[25] = 0x08;
    std::memcpy(payload + 26, row.value, 2);
    payload[28] = 0x00;
    payload[29] = static_cast<uint8_t>(row.modeBits + window->film * 16 + window->pass);
    std::memcpy(payload + 30, row.tail, 4);
    payload[44] = window->frame;
    payload[45] = window->exposureCount;
    uint8_t* out = payload + kWindowFixedBytes;
    for (int i = 0; i < window->exposureCount; ++i) {
        const uint16_t value = *window->exposures++;
        *out++ = static_cast<uint8_t>(value >> 8);
        *out++ = static_cast<uint8_t>(value);
    }
    const auto length = static_cast<int32_t>(kWindowFixedBytes + 2 * window->exposureCount);
    return ActionExchange(payload, nullptr, length, kCmdSetWindow);
}

int32_t ReadDeviceData(int typeIndex, uint16_t qualifier, uint32_t count, uint32_t start, void* destination) {
    if (typeIndex < 0 || typeIndex >= kReadTypes || destination == nullptr) return 0;
    uint8_t payload[kReadPayloadBytes] = {};
    payload[0] = readTypeCodes[typeIndex];
    payload[2] = static_cast<uint8_t>(qualifier >> 8);
    payload[3] = static_cast<uint8_t>(qualifier);
    SetLength(&count, payload + 4);
    SetLength(&start, payload + 8);
    return QueryExchange(payload, destination, sizeof payload, kCmdRead);
}

int32_t DeviceControl(int32_t selector) {
    for (const ControlRow& row : controlTable) {
        if (row.selector == selector)
            return ActionExchange(row.payload, nullptr, sizeof row.payload, kCmdVendorC1);
    }
    return 0;
}

}  // namespace lx9
