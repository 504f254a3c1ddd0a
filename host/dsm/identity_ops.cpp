// DG_CONTROL/DAT_IDENTITY addressed to the manager: listing the sources, the default, opening and closing.
#include "manager.h"
#include "operations.h"
#include "source_catalog.h"

#include <cstring>

namespace lx9::dsm {
namespace {

bool SameName(const char* a, const char* b) {
    return std::strncmp(a, b, sizeof(TW_STR32)) == 0;
}

// MSG_GETFIRST: a fresh scan, kept for the MSG_GETNEXT calls that follow.
TW_UINT16 GetFirst(Application& app, TW_IDENTITY* origin, TW_IDENTITY* out) {
    std::vector<SourceRecord> sources = ScanSources(origin);
    app.listing = std::move(sources);
    app.listingStarted = true;
    app.nextListed = 0;
    if (app.listing.empty()) return Refuse(origin, TWCC_NODS);
    *out = app.listing[app.nextListed++].identity;
    return TWRC_SUCCESS;
}

// MSG_GETNEXT: the next entry of the last MSG_GETFIRST's list.
TW_UINT16 GetNext(Application& app, TW_IDENTITY* origin, TW_IDENTITY* out) {
    if (!app.listingStarted) return Refuse(origin, TWCC_SEQERROR);
    if (app.nextListed >= app.listing.size()) return TWRC_ENDOFLIST;
    *out = app.listing[app.nextListed++].identity;
    return TWRC_SUCCESS;
}

// MSG_GETDEFAULT and MSG_USERSELECT (no dialog here: the user's choice is the default source).
TW_UINT16 GetDefault(TW_IDENTITY* origin, TW_IDENTITY* out) {
    std::vector<SourceRecord> sources = ScanSources(origin);
    const SourceRecord* chosen = DefaultSource(sources);
    if (!chosen) return Refuse(origin, TWCC_NODS);
    *out = chosen->identity;
    return TWRC_SUCCESS;
}

// The source an MSG_OPENDS asks for: by Id, else by ProductName, else (both empty) the default.
const SourceRecord* ChooseSource(const std::vector<SourceRecord>& sources, const TW_IDENTITY& request) {
    if (request.Id != 0) {
        for (const SourceRecord& record : sources) {
            if (record.identity.Id == request.Id) return &record;
        }
    }
    if (request.ProductName[0] != '\0') {
        for (const SourceRecord& record : sources) {
            if (SameName(record.identity.ProductName, request.ProductName)) return &record;
        }
        return nullptr;
    }
    return request.Id == 0 ? DefaultSource(sources) : nullptr;
}

// The source's own condition after it refused to open, for the application's next DAT_STATUS.
TW_UINT16 AskCondition(DSENTRYPROC entry, TW_IDENTITY* origin) {
    TW_STATUS status{};
    if (entry(origin, DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return TWCC_BUMMER;
    return status.ConditionCode;
}

void Release(std::unique_ptr<OpenSource> source) {
    if (source && source->module) FreeLibrary(source->module);
}

// MSG_OPENDS: load the chosen source, give it its Id and the application, keep it loaded until MSG_CLOSEDS.
TW_UINT16 OpenSourceFor(Application& app, TW_IDENTITY* origin, TW_IDENTITY* request) {
    std::vector<SourceRecord> sources = ScanSources(origin);
    const SourceRecord* chosen = ChooseSource(sources, *request);
    if (!chosen) return Refuse(origin, TWCC_NODS);
    Application* owner = nullptr;
    if (TheManager().FindOpenSourceByPath(chosen->path, &owner)) {
        return Refuse(origin, owner == &app ? TWCC_SEQERROR : TWCC_MAXCONNECTIONS);
    }

    auto source = std::make_unique<OpenSource>();
    source->identity = chosen->identity;
    source->path = chosen->path;
    source->module = LoadLibraryExA(source->path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!source->module) return Refuse(origin, TWCC_OPERATIONERROR);
    source->entry =
        reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(source->module, "DS_Entry")));
    if (!source->entry) {
        Release(std::move(source));
        return Refuse(origin, TWCC_OPERATIONERROR);
    }

    // Registered before the call, so that a notification sent while it opens finds its way.
    const TW_UINT32 sourceId = source->identity.Id;
    const DSENTRYPROC entry = source->entry;
    TW_IDENTITY passed = source->identity;
    app.sources.push_back(std::move(source));
    const TW_UINT16 rc = entry(origin, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &passed);
    if (rc != TWRC_SUCCESS) {
        const TW_UINT16 condition = AskCondition(entry, origin);
        Release(TheManager().DetachSource(sourceId));
        Refuse(origin, condition);
        return rc;
    }
    if (OpenSource* opened = TheManager().FindOpenSource(sourceId)) *request = opened->identity;
    return TWRC_SUCCESS;
}

// MSG_CLOSEDS: the source closes first; a source that refuses stays open and can be asked why.
TW_UINT16 CloseSourceFor(Application& app, TW_IDENTITY* origin, const TW_IDENTITY* request) {
    Application* owner = nullptr;
    OpenSource* source = TheManager().FindOpenSource(request->Id, &owner);
    if (!source || owner != &app) return Refuse(origin, TWCC_NODS);
    TW_IDENTITY passed = source->identity;
    const TW_UINT16 rc = source->entry(origin, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &passed);
    if (rc != TWRC_SUCCESS) return rc;
    Release(TheManager().DetachSource(passed.Id));
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 IdentityOperation(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
    Application* app = TheManager().FindApplication(origin->Id);
    if (!app) return Refuse(origin, TWCC_SEQERROR);
    if (!data) return Refuse(origin, TWCC_BADVALUE);
    auto* identity = static_cast<TW_IDENTITY*>(data);
    switch (msg) {
        case MSG_GETFIRST:
            return GetFirst(*app, origin, identity);
        case MSG_GETNEXT:
            return GetNext(*app, origin, identity);
        case MSG_GETDEFAULT:
        case MSG_USERSELECT:
            return GetDefault(origin, identity);
        case MSG_OPENDS:
            return OpenSourceFor(*app, origin, identity);
        case MSG_CLOSEDS:
            return CloseSourceFor(*app, origin, identity);
        default:
            return Refuse(origin, TWCC_BADPROTOCOL);
    }
}

}  // namespace lx9::dsm
