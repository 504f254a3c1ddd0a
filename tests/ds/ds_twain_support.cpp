#include "ds_twain_support.h"

#include "caps/control_files.h"
#include "twain/ds_entry.h"
#include "twain/file_transfer.h"
#include "twain/notify.h"
#include "twain/source_state.h"
#include "twain/strip_progress.h"
#include "twain/transfer_image.h"
#include "twain/user_interface.h"

#include <cstdio>
#include <cstring>

namespace lx9test {

namespace {

// Under Wine a thread's CBT hook can also see windows of other processes (tests running beside this one)
// being activated: only this thread's boxes count.
bool OfThisThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

std::vector<ShownBox> shownBoxes;
HHOOK boxHook = nullptr;
HWND lastBox = nullptr;

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == lastBox) lastBox = nullptr;
    if (code == HCBT_ACTIVATE) {
        auto window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        // A box is counted once, when it first comes up with its text; a box activated again (or on its
        // way out, when its text control is already gone) is not a new one.
        if (std::strcmp(className, "#32770") == 0 && OfThisThread(window) &&
            !(window == lastBox && IsWindow(lastBox)) && GetDlgItem(window, 0xFFFF)) {
            lastBox = window;
            char text[512] = {}, caption[256] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            GetWindowTextA(window, caption, sizeof caption);
            shownBoxes.push_back({text, caption, GetWindow(window, GW_OWNER)});
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void WriteFileText(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

}  // namespace

BoxWatcher::BoxWatcher() {
    shownBoxes.clear();
    lastBox = nullptr;
    boxHook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

BoxWatcher::~BoxWatcher() {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
}

const std::vector<ShownBox>& BoxWatcher::Boxes() const {
    return shownBoxes;
}

std::vector<std::string> BoxWatcher::Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : shownBoxes) texts.push_back(box.text);
    return texts;
}

void BoxWatcher::Clear() {
    shownBoxes.clear();
}

std::optional<std::string> ReadFileText(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

ScopedFile::ScopedFile(std::string path, std::optional<std::string> contents)
    : path_(std::move(path)), original_(ReadFileText(path_)) {
    if (contents)
        WriteFileText(path_, *contents);
    else
        DeleteFileA(path_.c_str());
}

ScopedFile::~ScopedFile() {
    if (original_)
        WriteFileText(path_, *original_);
    else
        DeleteFileA(path_.c_str());
}

std::string WindowsDirectory() {
    char directory[MAX_PATH] = {};
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

namespace {

std::string SourceFolder() {
    std::string twain = WindowsDirectory() + "\\twain_32";
    CreateDirectoryA(twain.c_str(), nullptr);
    std::string folder = twain + "\\NorvikLX9";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

std::string SourceControlFile() {
    return SourceFolder() + "\\NorvikLX9.src";
}
std::string InitialControlFile() {
    return SourceFolder() + "\\NorvikLX9.ini";
}

std::string ProfileText(const std::string& path, const char* section, const char* key) {
    char text[256] = {};
    GetPrivateProfileStringA(section, key, "", text, sizeof text, path.c_str());
    return text;
}

std::string ControlFiles::DefaultSourceControl() {
    return "[ICAP_UNITS]\r\nCurrent=TWUN_INCHES\r\n"
           "[Setup Memory Transfer]\r\nMin=640\r\nMax=2048\r\nPreferred=1024\r\n"
           "[ADF]\r\nPendingImages=1\r\n";
}

std::string ControlFiles::DefaultInitialControl() {
    return "[ICAP_UNITS]\r\nTWUN_INCHES=0\r\nTWUN_CENTIMETERS=1\r\nTWUN_PICAS=2\r\nTWUN_PIXELS=5\r\n";
}

ControlFiles::ControlFiles(const std::string& sourceControl, const std::string& initialControl)
    : redirection_(WindowsDirectory() + "\\source.$$$", std::nullopt),
      source_(SourceControlFile(), sourceControl),
      initial_(InitialControlFile(), initialControl) {}

namespace {

constexpr const char* kAbsent = "<lx9 absent>";

}  // namespace

ScopedLanguage::ScopedLanguage(std::optional<std::string> value) {
    char text[64] = {};
    GetProfileStringA("intl", "sLanguage", kAbsent, text, sizeof text);
    if (std::strcmp(text, kAbsent) != 0) original_ = text;
    WriteProfileStringA("intl", "sLanguage", value ? value->c_str() : nullptr);
}

ScopedLanguage::~ScopedLanguage() {
    WriteProfileStringA("intl", "sLanguage", original_ ? original_->c_str() : nullptr);
}

void ResetModule() {
    lx9::StoreTransferImage(nullptr);
    lx9::SetUserInterfaceSteps(nullptr);
    lx9::SetManagerLibraryName("lx9_no_manager_here.dll");  // a test reaches a manager only when it asks
    if (lx9::mainDialog) DestroyWindow(lx9::mainDialog);
    lx9::mainDialog = nullptr;
    lx9::OnModuleAttach(GetModuleHandleA(nullptr));
    lx9::sourceState = lx9::kState3Loaded;
    lx9::conditionCode = TWCC_SUCCESS;
    lx9::parentWindow = nullptr;
    lx9::language = 0;
    std::memset(lx9::setupFileName, 0, sizeof lx9::setupFileName);
    lx9::ForgetControlFilePaths();
}

Application::Application(TW_UINT32 id) {
    identity.Id = id;
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 5;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(identity.ProductName, "lx9 test");
}

TW_UINT16 Application::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return DS_Entry(&identity, dg, dat, msg, data);
}

TW_UINT16 Application::Open() {
    TW_IDENTITY source{};
    Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &source);
    source.Id = 42;  // as the manager assigns it
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
}

TW_UINT16 Application::Close() {
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
}

TW_UINT16 Application::Enable(HWND parent) {
    TW_USERINTERFACE ui{};
    ui.ShowUI = TRUE;
    ui.hParent = parent;
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 Application::Disable() {
    TW_USERINTERFACE ui{};
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

TW_UINT16 Application::Status() {
    TW_STATUS status{};
    status.Reserved = 0xbeef;
    Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

uint8_t PixelByte(int32_t x, int32_t y, int channel) {
    switch (channel) {
        case 0:
            return static_cast<uint8_t>(x);
        case 1:
            return static_cast<uint8_t>(y);
        default:
            return static_cast<uint8_t>(x + y);
    }
}

HGLOBAL MakeImage(int32_t width, int32_t height, uint16_t bitCount, uint32_t colours) {
    const size_t rowBytes = size_t(bitCount) * size_t(width) / 8;
    const size_t size = sizeof(BITMAPINFOHEADER) + size_t{colours} * 4 + rowBytes * size_t(height);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biClrUsed = colours;
    std::memcpy(bytes, &header, sizeof header);
    uint8_t* table = bytes + sizeof header;
    for (uint32_t i = 0; i < colours; ++i) {
        table[4 * i] = static_cast<uint8_t>(i);            // blue
        table[4 * i + 1] = static_cast<uint8_t>(i * 2);    // green
        table[4 * i + 2] = static_cast<uint8_t>(255 - i);  // red
    }
    if (bitCount == 24) {
        uint8_t* pixels = table + size_t{colours} * 4;
        for (int32_t stored = 0; stored < height; ++stored) {
            const int32_t y = height - 1 - stored;  // bottom row first
            for (int32_t x = 0; x < width; ++x)
                for (int channel = 0; channel < 3; ++channel)
                    pixels[size_t(stored) * rowBytes + size_t(x) * 3 + channel] = PixelByte(x, y, channel);
        }
    }
    GlobalUnlock(block);
    return block;
}

void StoreImageAndNotify(HGLOBAL image) {
    lx9::StoreTransferImage(image);
    lx9::NotifyTransferReady();
}

}  // namespace lx9test
