#include "device/film_setting.h"

#include <windows.h>

#include <cstdio>

#include "device/device_state.h"

namespace lx9 {

namespace {

constexpr const char* kSection = "LX-9";
constexpr const char* kKey = "NegaPosi";
constexpr const char* kFileName = "\\twain_32\\NorvikLX9\\LX9Cfg.ini";
constexpr int kMissing = -1;

void WriteValue(const char* path, int32_t value) {
    char text[16];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(kSection, kKey, text, path);
}

}  // namespace

bool FilmSettingPath(char* path, size_t size) {
    char directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) return false;
    const int written = std::snprintf(path, size, "%s%s", directory, kFileName);
    return written > 0 && static_cast<size_t>(written) < size;
}

void ReadFilmSetting() {
    char path[MAX_PATH + 64];
    if (!FilmSettingPath(path, sizeof path)) {
        filmType = kFilmNegative;
        return;
    }
    const int value = static_cast<int>(GetPrivateProfileIntA(kSection, kKey, kMissing, path));
    if (value == kFilmNegative || value == kFilmPositive) {
        filmType = value;
        return;
    }
    filmType = kFilmNegative;
    WriteValue(path, filmType);
}

void WriteFilmSetting() {
    char path[MAX_PATH + 64];
    if (FilmSettingPath(path, sizeof path)) WriteValue(path, filmType);
}

}  // namespace lx9
