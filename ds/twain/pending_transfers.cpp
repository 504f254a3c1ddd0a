// DG_CONTROL/DAT_PENDINGXFERS: the pending count lives in "PendingImages" of "ADF" in the source-control
// file.
#include "twain/control_settings.h"
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/source_state.h"

#include <cstdio>

namespace lx9 {

namespace {

void ClearPendingCount(TW_PENDINGXFERS* pending) {
    pending->Count = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%d", 0);
    WriteSourceControlText("ADF", "PendingImages", text);
}

}  // namespace

// DG_CONTROL/DAT_PENDINGXFERS/MSG_GET (states 4 to 7 checked by the dispatch table)
TW_UINT16 PendingXfersGet(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    auto* pending = static_cast<TW_PENDINGXFERS*>(data);
    pending->Count = static_cast<TW_UINT16>(ReadSourceControlInt("ADF", "PendingImages", 0));
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER: any state, the state stays.
TW_UINT16 PendingXfersEnd(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    ClearPendingCount(static_cast<TW_PENDINGXFERS*>(data));
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_PENDINGXFERS/MSG_RESET (states 6 and 7 checked by the dispatch table): back to state 5.
TW_UINT16 PendingXfersReset(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    sourceState = kState5Enabled;
    ClearPendingCount(static_cast<TW_PENDINGXFERS*>(data));
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_PENDINGXFERS/any other message
TW_UINT16 PendingXfersOther(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_PENDINGXFER.  ");
}

}  // namespace lx9
