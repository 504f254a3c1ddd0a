#include "caps/profile_io.h"

#include <windows.h>

#include <vector>

namespace lx9 {

std::string ReadProfileText(const std::string& file, const char* section, const char* key,
                            const char* fallback, std::size_t size) {
    std::vector<char> buffer(size + 1, '\0');
    GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(size), file.c_str());
    return std::string(buffer.data());
}

int32_t ReadProfileInt(const std::string& file, const char* section, const char* key, int32_t fallback) {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file.c_str()));
}

std::string ReadProfileSection(const std::string& file, const char* section, std::size_t size) {
    std::vector<char> buffer(size + 2, '\0');
    const DWORD length =
        GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(size), file.c_str());
    // Keep the closing double zero so that walkers always find an end.
    return std::string(buffer.data(), (length < size ? length : size) + 2);
}

bool WriteProfileText(const std::string& file, const char* section, const char* key, const char* text) {
    return WritePrivateProfileStringA(section, key, text, file.c_str()) != FALSE;
}

}  // namespace lx9
