// Thin wrappers over the Win32 profile functions: every read goes to the file, nothing is cached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lx9 {

// Read buffer sizes (characters, terminator included); longer entries are cut there.
constexpr std::size_t kShortTextSize = 80;       // "Type", "Reset" and the section names of "CAP NUMBERS"
constexpr std::size_t kValueTextSize = 512;      // "Current", "Default", "Allowed", "PowerON"
constexpr std::size_t kSetListSize = 40;         // the "Set" container list
constexpr std::size_t kContainerTextSize = 120;  // the container entry of a message ("Get", "Set"...)
constexpr std::size_t kSectionTextSize = 2048;   // a whole symbol section

std::string ReadProfileText(const std::string& file, const char* section, const char* key,
                            const char* fallback, std::size_t size);
int32_t ReadProfileInt(const std::string& file, const char* section, const char* key, int32_t fallback);
// The section as "key=value\0...\0\0" (at most size characters).
std::string ReadProfileSection(const std::string& file, const char* section, std::size_t size);
bool WriteProfileText(const std::string& file, const char* section, const char* key, const char* text);

}  // namespace lx9
