// A recording data source for the manager's tests (built as RecorderA.ds and RecorderB.ds).
#include "recorder_api.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#ifndef RECORDER_NAME
#error RECORDER_NAME names the product
#endif

namespace {

TW_IDENTITY sourceIdentity;
TW_IDENTITY appIdentity;
bool isOpen = false;
TW_UINT16 conditionCode = TWCC_SUCCESS;
TW_UINT16 passResult = TWRC_SUCCESS;
std::vector<RecordedCall> calls;

void FillIdentity() {
    sourceIdentity = TW_IDENTITY{};
    sourceIdentity.Version.MajorNum = 1;
    sourceIdentity.Version.Language = TWLG_USA;
    sourceIdentity.Version.Country = TWCY_USA;
    std::strcpy(sourceIdentity.Version.Info, "test");
    sourceIdentity.ProtocolMajor = 1;
    sourceIdentity.ProtocolMinor = 5;
    sourceIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(sourceIdentity.Manufacturer, "LX9 TESTS");
    std::strcpy(sourceIdentity.ProductFamily, "RECORDER");
    std::strcpy(sourceIdentity.ProductName, RECORDER_NAME);
}

int EnvironmentNumber(const char* name) {
    char text[32] = {};
    DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    return length > 0 && length < sizeof(text) ? std::atoi(text) : 0;
}

TW_UINT16 SendNotification(TW_UINT32 appId, TW_UINT16 msg) {
    HMODULE manager = LoadLibraryA("TWAIN_32.DLL");
    if (!manager) return TWRC_FAILURE;
    auto entry =
        reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(manager, "DSM_Entry")));
    TW_UINT16 rc = TWRC_FAILURE;
    if (entry) {
        TW_IDENTITY dest = appIdentity;
        dest.Id = appId;
        rc = entry(&sourceIdentity, &dest, DG_CONTROL, DAT_NULL, msg, nullptr);
    }
    FreeLibrary(manager);
    return rc;
}

TW_UINT16 Fail(TW_UINT16 condition) {
    conditionCode = condition;
    return TWRC_FAILURE;
}

TW_UINT16 Identity(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
    auto* identity = static_cast<TW_IDENTITY*>(data);
    switch (msg) {
        case MSG_GET:
            *identity = sourceIdentity;
            return TWRC_SUCCESS;
        case MSG_OPENDS:
            if (isOpen) return Fail(TWCC_SEQERROR);
            if (int refusal = EnvironmentNumber("RECORDER_REFUSE_OPEN")) {
                return Fail(static_cast<TW_UINT16>(refusal));
            }
            appIdentity = *origin;
            sourceIdentity = *identity;
            isOpen = true;
            return TWRC_SUCCESS;
        case MSG_CLOSEDS:
            if (!isOpen) return Fail(TWCC_SEQERROR);
            appIdentity.Id = 0;
            isOpen = false;
            return TWRC_SUCCESS;
        default:
            return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 Dispatch(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (msg == MSG_PROCESSEVENT) {
        // Never claims an event: whatever the application gets back beyond MSG_NULL came from the manager.
        static_cast<TW_EVENT*>(data)->TWMessage = MSG_NULL;
        return TWRC_NOTDSEVENT;
    }
    if (dg == DG_CONTROL && dat == DAT_IDENTITY) return Identity(origin, msg, data);
    if (dg == DG_CONTROL && dat == DAT_STATUS) {
        auto* status = static_cast<TW_STATUS*>(data);
        status->ConditionCode = conditionCode;
        status->Reserved = 0;
        conditionCode = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (dg == DG_CONTROL && dat == DAT_USERINTERFACE && msg == MSG_ENABLEDS) {
        if (int notification = EnvironmentNumber("RECORDER_NOTIFY_ON_ENABLE")) {
            SendNotification(appIdentity.Id, static_cast<TW_UINT16>(notification));
        }
    }
    return passResult;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) FillIdentity();
    return TRUE;
}

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DS_Entry(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    RecordedCall call{origin ? origin->Id : 0, dg, dat, msg, data, 0};
    if (msg == MSG_PROCESSEVENT && data) {
        const auto* event = static_cast<const TW_EVENT*>(data);
        if (event->pEvent) call.eventMessage = static_cast<const MSG*>(event->pEvent)->message;
    }
    calls.push_back(call);
    if (isOpen && origin && origin->Id != appIdentity.Id) return TWRC_FAILURE;
    return Dispatch(origin, dg, dat, msg, data);
}

extern "C" __declspec(dllexport) int Recorder_CallCount() {
    return static_cast<int>(calls.size());
}

extern "C" __declspec(dllexport) bool Recorder_GetCall(int index, RecordedCall* call) {
    if (index < 0 || index >= static_cast<int>(calls.size())) return false;
    *call = calls[static_cast<size_t>(index)];
    return true;
}

extern "C" __declspec(dllexport) void Recorder_Identities(TW_IDENTITY* source, TW_IDENTITY* app) {
    *source = sourceIdentity;
    *app = appIdentity;
}

extern "C" __declspec(dllexport) TW_UINT16 Recorder_Notify(TW_UINT16 msg) {
    return SendNotification(appIdentity.Id, msg);
}

extern "C" __declspec(dllexport) TW_UINT16 Recorder_NotifyTo(TW_UINT32 appId, TW_UINT16 msg) {
    return SendNotification(appId, msg);
}

extern "C" __declspec(dllexport) void Recorder_SetPassResult(TW_UINT16 rc) {
    passResult = rc;
}
