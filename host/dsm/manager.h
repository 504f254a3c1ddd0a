// The manager's bookkeeping: the applications that opened it, the sources each one has open, the Ids it
// hands out and the condition codes DAT_STATUS reports. One instance per process, like the DLL's data.
#pragma once

#include <lx9twain.h>

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lx9::dsm {

// A source as the catalog lists it: where its .ds lives and what it says about itself.
struct SourceRecord {
    std::string path;  // full path of the .ds
    TW_IDENTITY identity{};
};

struct OpenSource {
    TW_IDENTITY identity{};  // carries the Id the manager assigned
    std::string path;
    HMODULE module = nullptr;
    DSENTRYPROC entry = nullptr;
    std::deque<TW_UINT16> pending;  // notifications for the application, oldest first
};

struct Application {
    TW_IDENTITY identity{};
    HWND window = nullptr;
    TW_UINT16 conditionCode = TWCC_SUCCESS;
    std::vector<std::unique_ptr<OpenSource>> sources;
    std::vector<SourceRecord> listing;  // the catalog as MSG_GETFIRST saw it
    std::size_t nextListed = 0;         // next entry for MSG_GETNEXT
    bool listingStarted = false;
};

// A misbehaving source must not grow the queue without bound.
constexpr std::size_t kMaxPendingNotifications = 16;

class Manager {
  public:
    Application* FindApplication(TW_UINT32 id);
    Application& AddApplication(const TW_IDENTITY& identity, HWND window);
    void RemoveApplication(TW_UINT32 id);

    // The open source with this Id, and the application that opened it.
    OpenSource* FindOpenSource(TW_UINT32 sourceId, Application** owner = nullptr);
    // The open source loaded from this path (any application), for the catalog and for double opens.
    OpenSource* FindOpenSourceByPath(const std::string& path, Application** owner = nullptr);
    // Takes the source out of its application's list; the caller releases the module.
    std::unique_ptr<OpenSource> DetachSource(TW_UINT32 sourceId);

    // Ids are unique across applications and sources; a source keeps its Id for the process's life.
    TW_UINT32 NewId() { return nextId_++; }
    TW_UINT32 IdForSourcePath(const std::string& path);

    // The condition of a caller the manager does not know (no MSG_OPENDSM yet, or a null origin).
    TW_UINT16 strangerCondition = TWCC_SUCCESS;

  private:
    std::vector<std::unique_ptr<Application>> applications_;
    std::map<std::string, TW_UINT32> sourceIds_;  // by lower-case path
    TW_UINT32 nextId_ = 1;
};

Manager& TheManager();

// Records a refusal for the caller (its application record or the stranger slot) and returns TWRC_FAILURE.
TW_UINT16 Refuse(const TW_IDENTITY* origin, TW_UINT16 condition);

std::string LowerCase(std::string text);

}  // namespace lx9::dsm
