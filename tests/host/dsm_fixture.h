// Shared set-up of the manager's tests: a temporary twain_32 tree with the recording sources, the
// manager DLL of the build, a hidden application window and a fresh application identity per test.
#pragma once

#include "recorder/recorder_api.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lx9::hosttest {

class ManagerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A call from this test's application (pOrigin is app_).
    TW_UINT16 Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 CallAs(TW_IDENTITY& origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                     TW_MEMREF data);
    // The manager's condition for app_ (DAT_STATUS without a destination).
    TW_UINT16 ManagerCondition(TW_IDENTITY& origin);
    TW_UINT16 ManagerCondition() { return ManagerCondition(app_); }

    TW_UINT16 OpenManager(TW_IDENTITY& app);
    void OpenManager() { ASSERT_EQ(OpenManager(app_), TWRC_SUCCESS); }
    // MSG_OPENDS of the source with this ProductName; the identity comes back with its Id.
    TW_UINT16 OpenSource(const char* productName, TW_IDENTITY& source, TW_IDENTITY* app = nullptr);
    TW_UINT16 CloseSource(TW_IDENTITY& source, TW_IDENTITY* app = nullptr);
    std::vector<std::string> ListProductNames();

    // The loaded recorder ("RecorderA" or "RecorderB"), null when the manager has not loaded it.
    static HMODULE Recorder(const char* name);
    static std::string RecorderPath(const char* name);
    template <typename Proc>
    static Proc RecorderProc(const char* name, const char* proc) {
        HMODULE module = Recorder(name);
        return module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, proc)))
                      : nullptr;
    }
    static std::vector<RecordedCall> RecordedCalls(const char* name);

    static std::string tree_;  // the temporary twain_32 folder
    static HMODULE manager_;
    static DSMENTRYPROC dsm_;
    HWND window_ = nullptr;
    TW_IDENTITY app_{};
    TW_IDENTITY other_{};  // a second application of the same process
    std::vector<std::pair<TW_IDENTITY*, TW_IDENTITY>> openSources_;  // closed in TearDown
    std::vector<TW_IDENTITY*> openApps_;
};

}  // namespace lx9::hosttest
