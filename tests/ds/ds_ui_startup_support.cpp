#include "ds_ui_startup_support.h"

#include "ds_device_support.h"
#include "lx9twain.h"
#include "twain/notify.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>

namespace lx9test {

namespace {

// Under Wine a thread's CBT hook can also see windows of other processes (tests running beside this one)
// being activated: only this thread's boxes count.
bool OfThisThread(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

bool IsBoxButton(int id) {
    return id >= IDOK && id <= IDCONTINUE;
}

BOOL CALLBACK CheckBoxChild(HWND child, LPARAM data) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    const bool isStatic = _stricmp(className, "Static") == 0;
    const bool isButton = _stricmp(className, "Button") == 0 && IsBoxButton(GetDlgCtrlID(child));
    if (!isStatic && !isButton) *reinterpret_cast<bool*>(data) = false;
    return TRUE;
}

bool IsMessageBox(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !GetDlgItem(window, 0xFFFF)) return false;
    bool onlyBoxControls = true;
    EnumChildWindows(window, CheckBoxChild, reinterpret_cast<LPARAM>(&onlyBoxControls));
    return onlyBoxControls;
}

struct Search {
    const char* caption;
    bool box;
    HWND found;
};

BOOL CALLBACK FindInThread(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    if (IsMessageBox(window) != search->box) return TRUE;
    if (search->caption && WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

std::vector<BoxRecord>* boxes = nullptr;
int boxAnswer = IDOK;
HHOOK boxHook = nullptr;
HWND lastBox = nullptr;

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == lastBox) lastBox = nullptr;
    if (code == HCBT_ACTIVATE && boxes) {
        auto window = reinterpret_cast<HWND>(wParam);
        if (OfThisThread(window) && IsMessageBox(window) && !(window == lastBox && IsWindow(lastBox))) {
            lastBox = window;
            boxes->push_back({ControlText(window, 0xFFFF), WindowText(window), GetWindow(window, GW_OWNER)});
            const int button = GetDlgItem(window, boxAnswer) ? boxAnswer : IDOK;
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

// What bin/fake_dsm/TWAIN_32.DLL records.
struct FakeCalls {
    int count;
    TW_IDENTITY origin;
    TW_IDENTITY destination;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};

std::string WindowsPath(std::string path) {
    if (path.empty() || path[0] != '/') return path;
    path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

HWND FindDialog(const char* caption) {
    Search search{caption, false, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindInThread, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMessageBox() {
    Search search{nullptr, true, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindInThread, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

RECT ControlRect(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

MessageBoxes::MessageBoxes(int answer) {
    boxes = new std::vector<BoxRecord>();
    boxAnswer = answer;
    lastBox = nullptr;
    boxHook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

MessageBoxes::~MessageBoxes() {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
    delete boxes;
    boxes = nullptr;
}

const std::vector<BoxRecord>& MessageBoxes::Boxes() const {
    return *boxes;
}

std::vector<std::string> MessageBoxes::Texts() const {
    std::vector<std::string> texts;
    for (const BoxRecord& box : *boxes) texts.push_back(box.text);
    return texts;
}

RecordingManager::RecordingManager() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\'));
    library_ = LoadLibraryA((folder + "\\fake_dsm\\TWAIN_32.DLL").c_str());
    if (!library_) return;
    auto get =
        reinterpret_cast<void* (*)()>(reinterpret_cast<void*>(GetProcAddress(library_, "FakeDsmCalls")));
    calls_ = get ? get() : nullptr;
    if (calls_) std::memset(calls_, 0, sizeof(FakeCalls));
    lx9::SetManagerLibraryName(nullptr);  // "TWAIN_32.DLL": the recording one, already loaded
}

RecordingManager::~RecordingManager() {
    lx9::SetManagerLibraryName("lx9_no_manager_here.dll");
    if (library_) FreeLibrary(library_);
}

int RecordingManager::Calls() const {
    return calls_ ? static_cast<FakeCalls*>(calls_)->count : -1;
}

unsigned RecordingManager::LastMessage() const {
    return calls_ ? static_cast<FakeCalls*>(calls_)->msg : 0;
}

std::string Transcript(const std::vector<std::string>& logLines) {
    std::string out;
    for (size_t i = 0; i < logLines.size();) {
        size_t run = 1;
        while (i + run < logLines.size() && logLines[i + run] == logLines[i]) ++run;
        // Two in a row are two steps; more are a wait, whose length depends on the clock.
        if (run > 2) {
            out += logLines[i] + " (repeated)\n";
        } else {
            for (size_t k = 0; k < run; ++k) out += logLines[i] + "\n";
        }
        i += run;
    }
    return out;
}

std::string GoldenTranscript(const std::string& name) {
    const char* source = std::getenv("LX9_SOURCE_DIR");
    if (!source) return {};
    std::istringstream in(ReadAll(WindowsPath(std::string(source) + "/tests/ds/golden/" + name + ".txt")));
    std::string golden, line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') golden += line + "\n";  // '#' lines say what the run is
    }
    return golden;
}

std::string SaveTranscript(const std::string& name, const std::string& transcript) {
    const std::string path = ArtifactDir() + "\\" + name + ".txt";
    std::ofstream(path, std::ios::binary) << transcript;
    return path;
}

CommandLog::CommandLog() {
    if (const char* log = std::getenv("LX9_EMU_LOG")) path_ = WindowsPath(log);
}

std::vector<std::string> CommandLog::All() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(path_));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

void CommandLog::Mark() {
    mark_ = All().size();
}

std::vector<std::string> CommandLog::Lines() const {
    std::vector<std::string> lines = All();
    if (mark_ >= lines.size()) return {};
    return {lines.begin() + static_cast<std::ptrdiff_t>(mark_), lines.end()};
}

std::vector<std::string> EmulatorControl(const std::string& command, unsigned timeoutMs) {
    static int serial = 0;
    const char* relay = std::getenv("LX9_EMU_RELAY");
    if (!relay) return {};
    const std::string base =
        WindowsPath(relay) + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    { std::ofstream(base + ".tmp", std::ios::binary) << command << "\n"; }
    MoveFileA((base + ".tmp").c_str(), (base + ".cmd").c_str());
    const std::string reply = base + ".reply";
    for (unsigned waited = 0; waited < timeoutMs; waited += 20) {
        if (GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::vector<std::string> lines;
            std::istringstream in(ReadAll(reply));
            std::string line;
            while (std::getline(in, line)) lines.push_back(line);
            DeleteFileA(reply.c_str());
            DeleteFileA((base + ".done").c_str());
            return lines;
        }
        Sleep(20);
    }
    return {};
}

size_t HeapBlocks() {
    HANDLE heap = GetProcessHeap();
    size_t busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    }
    HeapUnlock(heap);
    return busy;
}

}  // namespace lx9test
