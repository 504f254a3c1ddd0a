// Payloads of the scanner commands the link tests send to the emulator, packed as the data source packs
// them, and the sequence that scans and reads one standard frame. Plain C++ on top of lx9comm.h, so the
// native and the Windows tests share it.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "lx9comm.h"

namespace lx9test {

constexpr int32_t kIndexTestUnitReady = 1, kIndexInquiry = 3, kIndexScan = 16, kIndexSetWindow = 17,
                  kIndexRead = 20;
constexpr uint32_t kStandardFrameBytes = 512 * 896 * 2;  // samples x lines x 2
constexpr uint32_t kStandardReadBytes = 32768;

inline void PutBE(std::vector<uint8_t>& p, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[at + i] = static_cast<uint8_t>(v >> (8 * (bytes - 1 - i)));
}

inline std::vector<uint8_t> ReadCommand(uint8_t type, uint16_t qualifier, uint32_t count, uint32_t start) {
    std::vector<uint8_t> p(12, 0);
    p[0] = type;
    PutBE(p, 2, qualifier, 2);
    PutBE(p, 4, count, 4);
    PutBE(p, 8, start, 4);
    return p;
}

// SET WINDOW for a standard negative frame, image pass, one exposure: the window (0, 0, 256, 896).
inline std::vector<uint8_t> StandardWindow(uint8_t frame, uint16_t exposure) {
    std::vector<uint8_t> p(48, 0);
    PutBE(p, 4, 417, 2);
    PutBE(p, 6, 417, 2);
    PutBE(p, 16, 256, 4);
    PutBE(p, 20, 896, 4);
    p[24] = 0x05;
    p[25] = 0x08;
    p[29] = 0xA0 + 2;
    p[30] = 0x27;
    p[32] = 0x72;
    p[44] = frame;
    p[45] = 1;
    PutBE(p, 46, exposure, 2);
    return p;
}

struct DeviceStatus {
    bool ok = false;
    uint8_t ready = 0, preparation = 0;
    uint16_t scannerWord = 0;
    int16_t cartridgeWord = 0;
};

inline DeviceStatus Status() {
    uint8_t r[12] = {};
    DeviceStatus s;
    s.ok = LX9_Communication(nullptr, r, 0, kIndexTestUnitReady) == 1;
    s.ready = r[0];
    s.scannerWord = static_cast<uint16_t>(r[1] << 8 | r[2]);
    s.cartridgeWord = static_cast<int16_t>(r[3] << 8 | r[4]);
    s.preparation = r[7];
    return s;
}

// Polls the status until the condition holds, for at most the given time.
template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const DeviceStatus s = Status();
        if (s.ok && condition(s)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Scans frame 1 in the standard window and reads it as 28 READs of 32768 bytes. Returns the seconds the
// reads took (negative on failure).
inline double ScanStandardFrame(std::vector<uint8_t>& raw, uint16_t exposure) {
    raw.assign(kStandardFrameBytes, 0);
    const auto window = StandardWindow(1, exposure);
    const uint8_t start[2] = {0x01, 0x00};
    if (!WaitFor([](const DeviceStatus& s) { return (s.ready & 1) != 0; })) return -1;
    if (LX9_Communication(window.data(), nullptr, static_cast<int32_t>(window.size()), kIndexSetWindow) != 1)
        return -2;
    if (LX9_Communication(start, nullptr, 2, kIndexScan) != 1) return -3;
    if (!WaitFor([](const DeviceStatus& s) { return (s.ready & 1) != 0; })) return -4;
    const auto begin = std::chrono::steady_clock::now();
    for (uint32_t offset = 0; offset < kStandardFrameBytes; offset += kStandardReadBytes) {
        const auto read = ReadCommand(0x00, 0, kStandardReadBytes, offset);
        if (LX9_Communication(read.data(), raw.data() + offset, 12, kIndexRead) != 1) return -5;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

}  // namespace lx9test
