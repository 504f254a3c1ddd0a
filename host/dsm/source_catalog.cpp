#include "source_catalog.h"

#include <algorithm>
#include <cstring>

namespace lx9::dsm {
namespace {

// Enough for any real installation; a runaway tree must not make every scan endless.
constexpr std::size_t kMaxSources = 64;

// Whether a file name ends in ".ds" exactly (the wildcard may also match other names via short names).
bool HasSourceExtension(const char* name) {
    const std::size_t length = std::strlen(name);
    return length > 3 && LowerCase(name + length - 3) == ".ds";
}

template <typename Visit>
void ForEachEntry(const std::string& pattern, bool wantFolders, Visit visit) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != wantFolders) continue;
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        visit(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Terminates the texts of an identity a source filled in, so that later comparisons stay inside them.
void TerminateTexts(TW_IDENTITY& identity) {
    identity.Version.Info[sizeof(identity.Version.Info) - 1] = '\0';
    identity.Manufacturer[sizeof(identity.Manufacturer) - 1] = '\0';
    identity.ProductFamily[sizeof(identity.ProductFamily) - 1] = '\0';
    identity.ProductName[sizeof(identity.ProductName) - 1] = '\0';
}

bool AskIdentity(const std::string& path, TW_IDENTITY* asker, TW_IDENTITY& identity) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return false;
    auto entry = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(module, "DS_Entry")));
    bool answered = false;
    if (entry) {
        identity = TW_IDENTITY{};
        answered = entry(asker, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity) == TWRC_SUCCESS;
        TerminateTexts(identity);
    }
    FreeLibrary(module);
    return answered;
}

std::vector<std::string> FindSourceFiles(const std::string& folder) {
    std::vector<std::string> paths;
    ForEachEntry(folder + "\\*", true, [&](const char* sub) {
        ForEachEntry(folder + "\\" + sub + "\\*.ds", false, [&](const char* file) {
            if (!HasSourceExtension(file)) return;
            std::string path = folder + "\\" + sub + "\\" + file;
            if (path.size() < MAX_PATH) paths.push_back(std::move(path));
        });
    });
    std::sort(paths.begin(), paths.end(),
              [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
    if (paths.size() > kMaxSources) paths.resize(kMaxSources);
    return paths;
}

}  // namespace

std::string SourceFolder() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("LX9_TWAIN_DIR", buffer, sizeof(buffer));
    if (length > 0 && length < sizeof(buffer)) {
        char full[MAX_PATH] = {};
        DWORD fullLength = GetFullPathNameA(buffer, sizeof(full), full, nullptr);
        return fullLength > 0 && fullLength < sizeof(full) ? std::string(full, fullLength) : std::string();
    }
    length = GetWindowsDirectoryA(buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) return {};
    return std::string(buffer, length) + "\\twain_32";
}

std::vector<SourceRecord> ScanSources(TW_IDENTITY* asker) {
    std::vector<SourceRecord> sources;
    const std::string folder = SourceFolder();
    if (folder.empty()) return sources;
    for (std::string& path : FindSourceFiles(folder)) {
        SourceRecord record;
        if (OpenSource* open = TheManager().FindOpenSourceByPath(path)) {
            record.identity = open->identity;
        } else if (!AskIdentity(path, asker, record.identity)) {
            continue;
        }
        record.identity.Id = TheManager().IdForSourcePath(path);
        record.path = std::move(path);
        sources.push_back(std::move(record));
    }
    return sources;
}

const SourceRecord* DefaultSource(const std::vector<SourceRecord>& sources) {
    if (sources.empty()) return nullptr;
    char chosen[MAX_PATH] = {};
    GetProfileStringA("TWAIN", "Default Source", "", chosen, sizeof(chosen));
    const std::string key = LowerCase(chosen);
    if (!key.empty()) {
        for (const SourceRecord& record : sources) {
            if (LowerCase(record.path) == key) return &record;
        }
    }
    return &sources.front();
}

}  // namespace lx9::dsm
