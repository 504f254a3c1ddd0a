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

bool Timings::set(const std::string& name, uint32_t value) {
    for (const auto& [fieldName, field] : kFields) {
        if (name == fieldName) {
            this->*field = value;
            return true;
        }
    }
    return false;
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
