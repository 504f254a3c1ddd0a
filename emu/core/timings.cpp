#include "timings.h"

#include <array>
#include <utility>

namespace lx9emu {

namespace {
using Field = uint32_t Timings::*;
constexpr std::array<std::pair<const char*, Field>, 10> kFields{{
    {"scan-index", &Timings::scanIndex},
    {"scan-standard", &Timings::scanStandard},
    {"scan-extended", &Timings::scanExtended},
    {"standby", &Timings::standby},
    {"eject", &Timings::eject},
    {"restart", &Timings::restart},
    {"calibration", &Timings::calibration},
    {"status-block", &Timings::statusBlock},
    {"film-information", &Timings::filmInformation},
    {"rate", &Timings::byteRate},
}};
}  // namespace

bool Timings::set(const std::string& name, uint32_t value, std::string* why) {
    auto refuse = [why](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    for (const auto& [fieldName, field] : kFields) {
        if (name != fieldName) continue;
        if (field == &Timings::byteRate) {
            if (value != 0 && value < kMinByteRate)
                return refuse("rate takes 0 (unlimited) or at least " + std::to_string(kMinByteRate) +
                              " bytes per second");
        } else if (value > kMaxMilliseconds) {
            return refuse(name + " takes at most " + std::to_string(kMaxMilliseconds) + " ms");
        }
        this->*field = value;
        return true;
    }
    return refuse("unknown time " + name);
}

std::string Timings::describe() const {
    std::string text;
    for (const auto& [fieldName, field] : kFields) {
        if (!text.empty()) text += ' ';
        text += fieldName;
        text += '=';
        text += std::to_string(this->*field);
    }
    return text;
}

}  // namespace lx9emu
