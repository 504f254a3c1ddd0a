#include "caps/profile_io.h"

#include <windows.h>

#include <cctype>
#include <vector>

namespace lx9 {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAbsolute(const std::string& path) {
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && IsSeparator(path[2]);
    // "\\.\" and "\\?\" open devices and raw names; a share is "\\server\...".
    const bool share = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '.' &&
                       path[2] != '?' && !IsSeparator(path[2]);
    return drive || share;
}

bool NamesDevice(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
        name == "CONOUT$")
        return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

}  // namespace

bool IsProfileFile(const std::string& path) {
    // A colon past the drive's names a stream of a file, not the file.
    if (!IsAbsolute(path) || path.find(':', 2) != std::string::npos || NamesDevice(path)) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::string ReadProfileText(const std::string& file, const char* section, const char* key,
                            const char* fallback, std::size_t size) {
    if (!IsProfileFile(file)) return std::string(fallback).substr(0, size == 0 ? 0 : size - 1);
    std::vector<char> buffer(size + 1, '\0');
    GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(size), file.c_str());
    return std::string(buffer.data());
}

int32_t ReadProfileInt(const std::string& file, const char* section, const char* key, int32_t fallback) {
    if (!IsProfileFile(file)) return fallback;
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file.c_str()));
}

std::string ReadProfileSection(const std::string& file, const char* section, std::size_t size) {
    std::vector<char> buffer(size + 2, '\0');
    if (!IsProfileFile(file)) return std::string(2, '\0');
    const DWORD length =
        GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(size), file.c_str());
    // Keep the closing double zero so that walkers always find an end.
    return std::string(buffer.data(), (length < size ? length : size) + 2);
}

bool WriteProfileText(const std::string& file, const char* section, const char* key, const char* text) {
    if (!IsProfileFile(file)) return false;
    return WritePrivateProfileStringA(section, key, text, file.c_str()) != FALSE;
}

}  // namespace lx9
