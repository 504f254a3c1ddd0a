// Thin wrappers over the Win32 profile functions: every read goes to the file, nothing is cached. Only disk
// files named by an absolute path are read or written (IsProfileFile); anything else reads as a missing file
// and takes no write, so a path from a damaged file never reaches a device or makes a new file.
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

// Whether path names an existing disk file by an absolute path ("C:\..." or "\\server\share\..."): not a
// folder, not a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9 are devices in every folder and with any
// extension), not a stream or the device namespace.
bool IsProfileFile(const std::string& path);

std::string ReadProfileText(const std::string& file, const char* section, const char* key,
                            const char* fallback, std::size_t size);
int32_t ReadProfileInt(const std::string& file, const char* section, const char* key, int32_t fallback);
// The section as "key=value\0...\0\0" (at most size characters).
std::string ReadProfileSection(const std::string& file, const char* section, std::size_t size);
// False, with nothing written, unless IsProfileFile(file): the profile functions would create a missing file.
bool WriteProfileText(const std::string& file, const char* section, const char* key, const char* text);

}  // namespace lx9
