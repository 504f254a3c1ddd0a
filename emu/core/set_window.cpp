#include <array>
#include <cstring>

#include "device.h"
#include "wire.h"

namespace lx9emu {

namespace {
// One row per window mode: resolution, the value at 26-27, mode bits of byte 29, bytes 30-33.
struct ModeRow {
    uint16_t resolution;
    uint16_t value26;
    uint8_t modeBits;
    std::array<uint8_t, 4> bytes30;
};
constexpr std::array<ModeRow, 3> kModes{{
    {52, 0x0001, 0x00, {0x07, 0x03, 0x00, 0x00}},
    {417, 0x0000, 0xA0, {0x27, 0x00, 0x72, 0x00}},
    {835, 0x0000, 0x80, {0xFF, 0x00, 0x00, 0x00}},
}};

bool allZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

bool fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}
}  // namespace

bool unpackSetWindow(std::span<const uint8_t> payload, ScanRequest* request, std::string* why) {
    if (payload.size() < 46) return fail(why, "window payload shorter than 46 bytes");
    const uint8_t* p = payload.data();
    size_t count = p[45];
    if (payload.size() != 46 + 2 * count)
        return fail(why, "window payload length does not match its exposures");
    if (count == 0) return fail(why, "window without an exposure value");

    uint16_t resolution = be16(p + 4);
    if (be16(p + 6) != resolution) return fail(why, "window resolutions differ");
    size_t mode = 0;
    while (mode < kModes.size() && kModes[mode].resolution != resolution) ++mode;
    if (mode == kModes.size()) return fail(why, "window resolution of no mode");
    const ModeRow& row = kModes[mode];
    if (!allZero(p, 4) || p[24] != 0x05 || p[25] != 0x08 || p[28] != 0 || !allZero(p + 34, 10))
        return fail(why, "window fixed bytes wrong");
    if (be16(p + 26) != row.value26 || std::memcmp(p + 30, row.bytes30.data(), 4) != 0)
        return fail(why, "window mode bytes do not match the resolution");
    uint8_t bits = p[29];
    if ((bits & 0xE0) != row.modeBits) return fail(why, "window mode bits do not match the resolution");
    if ((bits & 0x0F) != 1 && (bits & 0x0F) != 2) return fail(why, "window pass is neither 1 nor 2");

    request->windowMode = static_cast<uint8_t>(mode);
    request->film = (bits >> 4) & 1;
    request->pass = bits & 0x0F;
    request->frame = p[44];
    request->x = static_cast<int32_t>(be32(p + 8));
    request->y = static_cast<int32_t>(be32(p + 12));
    request->width = static_cast<int32_t>(be32(p + 16));
    request->height = static_cast<int32_t>(be32(p + 20));
    request->exposures.clear();
    for (size_t i = 0; i < count; ++i) request->exposures.push_back(be16(p + 46 + 2 * i));
    return true;
}

}  // namespace lx9emu
