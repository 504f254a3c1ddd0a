// DG_CONTROL/DAT_IDENTITY, DG_CONTROL/DAT_STATUS and MSG_PROCESSEVENT: the connection with one application.
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/source_state.h"

namespace lx9 {

// DG_CONTROL/DAT_IDENTITY/MSG_GET
TW_UINT16 IdentityGet(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    *static_cast<TW_IDENTITY*>(data) = sourceIdentity;
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_IDENTITY/MSG_OPENDS (state 3 checked by the dispatch table)
TW_UINT16 OpenDs(pTW_IDENTITY origin, TW_UINT16, TW_MEMREF data) {
    if (!origin) return Refuse(TWCC_BADVALUE, nullptr);  // no application to record
    appIdentity = *origin;
    // The manager's record carries the Id it assigned us; notifications need it.
    sourceIdentity = *static_cast<const TW_IDENTITY*>(data);
    sourceState = kState4Open;
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS (states 4 to 7 checked by the dispatch table)
TW_UINT16 CloseDs(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    appIdentity.Id = 0;
    sourceState = kState3Loaded;
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_IDENTITY/any other message
TW_UINT16 IdentityOther(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_IDENTITY.  ");
}

// DG_CONTROL/DAT_STATUS/MSG_GET reports the last condition once, then clears it.
TW_UINT16 StatusOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_GET) return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_STATUS.  ");
    auto* status = static_cast<TW_STATUS*>(data);
    status->ConditionCode = conditionCode;
    status->Reserved = 0;
    conditionCode = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

// any DG/any DAT/MSG_PROCESSEVENT: the main window is modeless, so its keyboard messages come this way.
TW_UINT16 ProcessEvent(TW_MEMREF data) {
    auto* event = static_cast<TW_EVENT*>(data);
    if (!event || !event->pEvent || !mainDialog) return TWRC_NOTDSEVENT;
    if (!IsDialogMessageA(mainDialog, static_cast<MSG*>(event->pEvent))) return TWRC_NOTDSEVENT;
    event->TWMessage = MSG_NULL;
    return TWRC_DSEVENT;
}

}  // namespace lx9
