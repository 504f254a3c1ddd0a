#include "twain/notify.h"

#include "twain/source_state.h"

namespace lx9 {

namespace {

constexpr const char* kManagerLibrary = "TWAIN_32.DLL";
const char* managerLibrary = kManagerLibrary;

// The manager is bound only for the moment of the call; if it or its entry is missing, nothing is sent.
void SendToApplication(TW_UINT16 message) {
    HMODULE manager = LoadLibraryA(managerLibrary);
    if (!manager) return;
    auto entry =
        reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(manager, "DSM_Entry")));
    if (entry) entry(&sourceIdentity, &appIdentity, DG_CONTROL, DAT_NULL, message, nullptr);
    FreeLibrary(manager);
}

}  // namespace

void NotifyTransferReady() {
    sourceState = kState6TransferReady;
    SendToApplication(MSG_XFERREADY);
}

void NotifyCloseRequest() {
    SendToApplication(MSG_CLOSEDSREQ);
}

void SetManagerLibraryName(const char* name) {
    managerLibrary = name ? name : kManagerLibrary;
}

}  // namespace lx9
