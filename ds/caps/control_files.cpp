#include "caps/control_files.h"

#include "caps/profile_io.h"

#include <windows.h>

#include <optional>
#include <tuple>

namespace lx9 {
namespace {

constexpr std::size_t kPathCapacity = 260;
constexpr const char* kRedirectionName = "\\source.$$$";
constexpr const char* kSourceControlName = "\\twain_32\\NorvikLX9\\NorvikLX9.src";
constexpr const char* kInitialControlName = "\\twain_32\\NorvikLX9\\NorvikLX9.ini";
// The device layer's film setting: a file of the source's own that no capability may write.
constexpr const char* kFilmSettingName = "\\twain_32\\NorvikLX9\\LX9Cfg.ini";

// Kept for the module's lifetime once recorded; only the redirection file replaces sourceControlPath.
std::string sourceControlPath;
std::string initialControlPath;

std::string WindowsDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    return std::string(buffer, length);
}

std::string UnderWindows(const char* name) {
    const std::string directory = WindowsDirectory();
    if (directory.empty()) return {};
    const std::string path = directory + name;
    return path.size() < kPathCapacity ? path : std::string();
}

bool IsFile(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The path in the redirection file: its bytes up to the first zero, at most 260, taken as they stand.
bool ReadRedirection(std::string& path) {
    const std::string name = UnderWindows(kRedirectionName);
    if (name.empty()) return false;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[kPathCapacity + 1] = {};
    DWORD got = 0;
    if (!ReadFile(file, buffer, kPathCapacity, &got, nullptr)) got = 0;
    CloseHandle(file);
    path.assign(buffer, got);
    path.resize(path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
    return true;
}

// A file as the file system knows it, whatever the spelling of its path: volume and file number.
using FileIdentity = std::tuple<DWORD, DWORD, DWORD>;

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != FALSE;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

bool IsOtherFileOfTheSource(const std::string& path) {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return true;  // a file that cannot be told apart is not written
    for (const char* name : {kInitialControlName, kRedirectionName, kFilmSettingName}) {
        if (IdentityOf(UnderWindows(name)) == identity) return true;
    }
    return false;
}

void ShowMissing(const char* text) {
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

}  // namespace

bool CheckControlFiles() {
    std::string redirected;
    if (ReadRedirection(redirected)) {
        sourceControlPath = redirected;
        return true;
    }
    if (sourceControlPath.empty()) {
        const std::string path = UnderWindows(kSourceControlName);
        if (!IsFile(path)) {
            ShowMissing("Unable to find LX-9 Source Control");
            return false;
        }
        sourceControlPath = path;
    }
    if (!initialControlPath.empty()) return true;
    const std::string path = UnderWindows(kInitialControlName);
    if (!IsFile(path)) {
        ShowMissing("Unable to find LX-9 Initial Control");
        return false;
    }
    initialControlPath = path;
    return true;
}

std::string SourceControlPath() {
    if (!sourceControlPath.empty()) return sourceControlPath;
    std::string redirected;
    if (ReadRedirection(redirected)) return redirected;
    return UnderWindows(kSourceControlName);
}

bool WriteSourceControlEntry(const char* section, const char* key, const char* text) {
    const std::string path = SourceControlPath();
    if (!IsProfileFile(path) || IsOtherFileOfTheSource(path)) return false;
    return WriteProfileText(path, section, key, text);
}

std::string InitialControlFilePath() {
    return UnderWindows(kInitialControlName);
}

std::string RecordedSourceControlPath() {
    return sourceControlPath;
}
std::string RecordedInitialControlPath() {
    return initialControlPath;
}

void ForgetControlFilePaths() {
    sourceControlPath.clear();
    initialControlPath.clear();
}

}  // namespace lx9
