#include "wire.h"

#include <array>
#include <cstdlib>

namespace lx9emu {

uint8_t checksumFor(std::span<const uint8_t> bytes) {
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
    return static_cast<uint8_t>(0x100 - sum);
}

std::vector<uint8_t> buildCommand(uint16_t code, std::span<const uint8_t> payload) {
    std::vector<uint8_t> frame;
    frame.reserve(payload.size() + 8);
    frame.push_back(kStartByte);
    putBe32(frame, static_cast<uint32_t>(payload.size()));
    putBe16(frame, code);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(checksumFor(frame));
    return frame;
}

std::vector<uint8_t> buildReply(uint16_t code, uint8_t status, std::span<const uint8_t> data) {
    std::vector<uint8_t> frame;
    frame.reserve(data.size() + 9);
    frame.push_back(kStartByte);
    putBe32(frame, static_cast<uint32_t>(data.size() + 1));
    putBe16(frame, code);
    frame.push_back(status);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(checksumFor(frame));
    return frame;
}

std::string toHex(std::span<const uint8_t> bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

namespace {
struct NamedCode {
    const char* name;
    uint16_t code;
};
constexpr std::array<NamedCode, 7> kNames{{{"tur", code::TestUnitReady},
                                           {"sense", code::RequestSense},
                                           {"inquiry", code::Inquiry},
                                           {"scan", code::Scan},
                                           {"window", code::SetWindow},
                                           {"read", code::Read},
                                           {"c1", code::VendorC1}}};
}  // namespace

std::string commandName(uint16_t value) {
    for (const auto& n : kNames)
        if (n.code == value) return n.name;
    return {};
}

bool parseCommandCode(const std::string& text, uint16_t* value) {
    for (const auto& n : kNames) {
        if (text == n.name) {
            *value = n.code;
            return true;
        }
    }
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long number = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || number > 0xFFFF || text[0] == '-') return false;
    *value = static_cast<uint16_t>(number);
    return true;
}

}  // namespace lx9emu
