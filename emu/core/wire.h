#pragma once
// The LX-9 wire format: big-endian numbers, 8-bit additive checksums, command codes and status bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lx9emu {

inline constexpr uint8_t kStartByte = 0x01;
inline constexpr size_t kCommandHeaderSize = 7;  // start, 4-byte payload length, 2-byte code
inline constexpr size_t kReplyHeaderSize = 7;    // start, 4-byte body length, 2-byte echoed code
// The largest payload the host ever sends is SET WINDOW with 255 exposures (556 bytes); anything far
// beyond that is a broken frame, not a command.
inline constexpr uint32_t kMaxPayload = 4096;

namespace code {
inline constexpr uint16_t TestUnitReady = 0x0200;
inline constexpr uint16_t RequestSense = 0x0203;
inline constexpr uint16_t Inquiry = 0x0312;
inline constexpr uint16_t Scan = 0x031B;
inline constexpr uint16_t SetWindow = 0x0424;
inline constexpr uint16_t Read = 0x0428;
inline constexpr uint16_t VendorC1 = 0x0EC1;
}  // namespace code

namespace status {
inline constexpr uint8_t Good = 0x00;
inline constexpr uint8_t CheckCondition = 0x70;  // a sense byte is waiting (REQUEST SENSE 0x0070)
inline constexpr uint8_t HardwareError = 0x71;   // a hardware sense byte is waiting (REQUEST SENSE 0x0071)
}  // namespace status

// Sense bytes the device leaves with status 0x70.
namespace sense {
inline constexpr uint8_t Busy = 0x01;          // the scanner is working: poll until ready, then resend
inline constexpr uint8_t StandbyOff = 0x02;    // the standby switch is off
inline constexpr uint8_t NoCartridge = 0x03;   // no cartridge, or one that cannot be used
inline constexpr uint8_t NotAvailable = 0x04;  // data not prepared yet, or nothing scanned
inline constexpr uint8_t BadParameter = 0x05;  // payload length or content, window, read range
inline constexpr uint8_t BadCommand = 0x06;    // a command code the device does not know
inline constexpr uint8_t BadChecksum = 0x07;   // the command frame's checksum was wrong
inline constexpr uint8_t ScanFailed = 0x10;    // (with status 0x71) the scan could not be produced
}  // namespace sense

inline void putBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
inline void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline uint16_t be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// The byte that makes all the given bytes plus itself sum to 0 modulo 256.
uint8_t checksumFor(std::span<const uint8_t> bytes);

// A complete command frame (what the host sends); used by tests and tools.
std::vector<uint8_t> buildCommand(uint16_t code, std::span<const uint8_t> payload);

// A complete reply frame: start byte, body length (status + data), echoed code, status, data, checksum.
std::vector<uint8_t> buildReply(uint16_t code, uint8_t status, std::span<const uint8_t> data);

std::string toHex(std::span<const uint8_t> bytes);

// Short names for the command codes used in logs and fault rules ("tur", "read"...); empty if unknown.
std::string commandName(uint16_t code);
// Parses a code given as a number (0x0428, 1064) or a name; false if neither.
bool parseCommandCode(const std::string& text, uint16_t* code);

}  // namespace lx9emu
