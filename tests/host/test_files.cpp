#include "test_files.h"

#include <windows.h>

namespace lx9::hosttest {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/"));
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool CopyInto(const std::string& from, const std::string& folder, const std::string& name) {
    CreateDirectoryA(folder.c_str(), nullptr);
    return CopyFileA(from.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

}  // namespace lx9::hosttest
