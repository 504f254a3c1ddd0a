#include "image_files.h"

#include "bmp_encode.h"

#include <windows.h>

#include <cstdio>

namespace lx9::acquire {
namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

constexpr int kMaxImageNumber = 99999;

std::string WindowsError(DWORD code) {
    return "Windows error " + std::to_string(code);
}

}  // namespace

bool PrepareFolder(const std::string& folder, std::string& error) {
    if (IsFolder(folder)) return true;
    // Parents first: each prefix ending before a separator.
    for (std::size_t at = folder.find_first_of("\\/", 1); at != std::string::npos;
         at = folder.find_first_of("\\/", at + 1)) {
        const std::string parent = folder.substr(0, at);
        if (!parent.empty() && parent.back() != ':' && !IsFolder(parent))
            CreateDirectoryA(parent.c_str(), nullptr);
    }
    if (!CreateDirectoryA(folder.c_str(), nullptr) && !IsFolder(folder)) {
        error =
            "the output folder \"" + folder + "\" cannot be created (" + WindowsError(GetLastError()) + ")";
        return false;
    }
    return true;
}

std::string NextImageBase(const std::string& folder) {
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '\\' && prefix.back() != '/') prefix += '\\';
    for (int number = 1; number <= kMaxImageNumber; ++number) {
        char name[32];
        std::snprintf(name, sizeof(name), "image_%03d", number);
        const std::string base = prefix + name;
        if (!Exists(base + ".bmp") && !Exists(base + ".png")) return base;
    }
    return {};
}

bool WriteBmpFile(const RgbImage& image, const std::string& path, std::string& error) {
    const std::vector<uint8_t> bytes = EncodeBmp(image);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "\"" + path + "\" cannot be created (" + WindowsError(GetLastError()) + ")";
        return false;
    }
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD code = GetLastError();
    const BOOL closed = CloseHandle(file);
    if (!wrote || written != bytes.size() || !closed) {
        DeleteFileA(path.c_str());
        error = "\"" + path + "\" could not be written (" + WindowsError(code) + ")";
        return false;
    }
    return true;
}

}  // namespace lx9::acquire
