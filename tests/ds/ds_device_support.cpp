#include "ds_device_support.h"

#include <cstdio>
#include <set>
#include <cstdlib>

namespace lx9test {

namespace {

// Under Wine a thread's CBT hook can also see windows of other processes (tests running beside this one)
// being activated: only this thread's boxes count.
bool OfThisThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

HHOOK hook = nullptr;
std::vector<BoxSeen>* seen = nullptr;
std::set<HWND> boxesSeen;  // of the current reader: a box counts once, however often it is activated

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && seen != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(box, className, sizeof className);
        // A box counts once, when it first comes up with its text: under load one box can be activated again
        // (or on its way out, its text control already gone).
        if (lstrcmpA(className, "#32770") == 0 && OfThisThread(box) && GetDlgItem(box, 0xFFFF) &&
            boxesSeen.insert(box).second) {
            seen->push_back({TextOf(GetDlgItem(box, 0xFFFF)), TextOf(box)});
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

BoxReader::BoxReader() {
    seen = new std::vector<BoxSeen>();
    boxesSeen.clear();
    hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

BoxReader::~BoxReader() {
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    delete seen;
    seen = nullptr;
}

const std::vector<BoxSeen>& BoxReader::Boxes() const {
    return *seen;
}

HWND MakeTestWindow() {
    return CreateWindowExA(0, "STATIC", "test window", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const uint8_t* pixels) {
    const size_t rowBytes = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
    const size_t packedRow = static_cast<size_t>(header.biWidth) * 3;
    const size_t rows = static_cast<size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    BITMAPINFOHEADER info = header;
    info.biSizeImage = static_cast<DWORD>(rowBytes * rows);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + info.biSizeImage);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    const uint8_t zeros[4] = {};
    for (size_t r = 0; r < rows; ++r) {
        std::fwrite(pixels + packedRow * r, 1, packedRow, out);
        std::fwrite(zeros, 1, rowBytes - packedRow, out);
    }
    return std::fclose(out) == 0;
}

std::string ArtifactDir() {
    std::string dir = ".\\artifacts";
    if (const char* binary = std::getenv("LX9_BINARY_DIR")) {
        // Wine maps the Unix root to drive Z:.
        dir = std::string("Z:") + binary + "\\artifacts";
        for (char& c : dir) {
            if (c == '/') c = '\\';
        }
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

unsigned LockCount(HGLOBAL block) {
    return GlobalFlags(block) & GMEM_LOCKCOUNT;
}

}  // namespace lx9test
