#include "dsm_fixture.h"

#include <algorithm>
#include <cstring>

namespace lx9::hosttest {

std::string ManagerTest::tree_;
HMODULE ManagerTest::manager_ = nullptr;
DSMENTRYPROC ManagerTest::dsm_ = nullptr;

namespace {

void WriteText(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

void ManagerTest::SetUpTestSuite() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    const std::string root = std::string(temp) + "lx9-host-dsm-" + std::to_string(GetCurrentProcessId());
    RemoveTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    tree_ = root + "\\twain_32";
    CreateDirectoryA(tree_.c_str(), nullptr);
    const std::string bin = ProgramFolder();
    ASSERT_TRUE(CopyInto(bin + "\\RecorderA.ds", tree_ + "\\RecorderA", "RecorderA.ds"));
    ASSERT_TRUE(CopyInto(bin + "\\RecorderB.ds", tree_ + "\\RecorderB", "RecorderB.DS"));
    // Not sources: a file that is no DLL, a DLL without DS_Entry, another extension, one level too high.
    CreateDirectoryA((tree_ + "\\Broken").c_str(), nullptr);
    WriteText(tree_ + "\\Broken\\broken.ds", "not a module");
    ASSERT_TRUE(CopyInto(bin + "\\TWAIN_32.DLL", tree_ + "\\NoEntry", "noentry.ds"));
    WriteText(tree_ + "\\Broken\\readme.txt", "RecorderA.ds");
    ASSERT_TRUE(CopyInto(bin + "\\RecorderA.ds", tree_, "loose.ds"));

    manager_ = LoadLibraryA((bin + "\\TWAIN_32.DLL").c_str());
    ASSERT_NE(manager_, nullptr);
    dsm_ = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(manager_, "DSM_Entry")));
    ASSERT_NE(dsm_, nullptr);
}

void ManagerTest::TearDownTestSuite() {
    if (manager_) FreeLibrary(manager_);
    manager_ = nullptr;
    RemoveTree(tree_.substr(0, tree_.find_last_of('\\')));
}

void ManagerTest::SetUp() {
    ASSERT_NE(dsm_, nullptr);
    SetEnvironmentVariableA("LX9_TWAIN_DIR", tree_.c_str());
    SetEnvironmentVariableA("RECORDER_REFUSE_OPEN", nullptr);
    SetEnvironmentVariableA("RECORDER_NOTIFY_ON_ENABLE", nullptr);
    window_ = CreateWindowExA(0, "STATIC", "lx9 manager test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    app_ = TW_IDENTITY{};
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 9;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(app_.ProductName, "manager test");
    other_ = app_;
    std::strcpy(other_.ProductName, "second application");
}

void ManagerTest::TearDown() {
    for (auto& [app, source] : openSources_)
        CallAs(*app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
    openSources_.clear();
    for (TW_IDENTITY* app : openApps_) CallAs(*app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_);
    openApps_.clear();
    if (window_) DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TW_UINT16 ManagerTest::Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return dsm_(&app_, dest, dg, dat, msg, data);
}

TW_UINT16 ManagerTest::CallAs(TW_IDENTITY& origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                              TW_UINT16 msg, TW_MEMREF data) {
    return dsm_(&origin, dest, dg, dat, msg, data);
}

TW_UINT16 ManagerTest::ManagerCondition(TW_IDENTITY& origin) {
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(dsm_(&origin, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.Reserved, 0);
    return status.ConditionCode;
}

TW_UINT16 ManagerTest::OpenManager(TW_IDENTITY& app) {
    const TW_UINT16 rc = dsm_(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_);
    if (rc == TWRC_SUCCESS) openApps_.push_back(&app);
    return rc;
}

TW_UINT16 ManagerTest::OpenSource(const char* productName, TW_IDENTITY& source, TW_IDENTITY* app) {
    TW_IDENTITY& origin = app ? *app : app_;
    source = TW_IDENTITY{};
    std::strcpy(source.ProductName, productName);
    const TW_UINT16 rc = dsm_(&origin, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
    if (rc == TWRC_SUCCESS) openSources_.emplace_back(&origin, source);
    return rc;
}

TW_UINT16 ManagerTest::CloseSource(TW_IDENTITY& source, TW_IDENTITY* app) {
    TW_IDENTITY& origin = app ? *app : app_;
    const TW_UINT16 rc = dsm_(&origin, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
    if (rc == TWRC_SUCCESS) {
        std::erase_if(openSources_, [&](const auto& entry) { return entry.second.Id == source.Id; });
    }
    return rc;
}

std::vector<std::string> ManagerTest::ListProductNames() {
    std::vector<std::string> names;
    TW_IDENTITY found{};
    TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &found);
    while (rc == TWRC_SUCCESS && names.size() < 100) {
        names.push_back(found.ProductName);
        rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &found);
    }
    EXPECT_EQ(rc, names.empty() ? TWRC_FAILURE : TWRC_ENDOFLIST);
    return names;
}

std::string ManagerTest::RecorderPath(const char* name) {
    return tree_ + "\\" + name + "\\" + name + (std::strcmp(name, "RecorderB") == 0 ? ".DS" : ".ds");
}

HMODULE ManagerTest::Recorder(const char* name) {
    return GetModuleHandleA(RecorderPath(name).c_str());
}

std::vector<RecordedCall> ManagerTest::RecordedCalls(const char* name) {
    std::vector<RecordedCall> calls;
    auto count = RecorderProc<RecorderCallCountProc>(name, "Recorder_CallCount");
    auto get = RecorderProc<RecorderGetCallProc>(name, "Recorder_GetCall");
    if (!count || !get) return calls;
    for (int i = 0; i < count(); ++i) {
        RecordedCall call{};
        if (get(i, &call)) calls.push_back(call);
    }
    return calls;
}

}  // namespace lx9::hosttest
