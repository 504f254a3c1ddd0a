// The three 10-bit mappings of the calibration readings, one per range code of the calibration reply.
#include <array>

#include "device/startup_data.h"

namespace lx9 {

namespace {

template <int Offset, int Scale>
constexpr std::array<uint16_t, 256> Map() {
    std::array<uint16_t, 256> map{};
    for (int v = 0; v < 256; ++v) map[v] = static_cast<uint16_t>(Offset + Scale * v);
    return map;
}

constexpr std::array<uint16_t, 256> kDefaultMap = Map<768, 1>();  // range code 1 and any other
constexpr std::array<uint16_t, 256> kRange4Map = Map<512, 2>();
constexpr std::array<uint16_t, 256> kRange6Map = Map<0, 4>();

}  // namespace

const uint16_t* ShadingMapFor(uint8_t rangeCode) {
    if (rangeCode == 4) return kRange4Map.data();
    if (rangeCode == 6) return kRange6Map.data();
    return kDefaultMap.data();
}

}  // namespace lx9
