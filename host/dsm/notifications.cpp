// Calls between an application and its open sources: the triplets passed through, and the sources'
// DAT_NULL notifications, kept until the application's next MSG_PROCESSEVENT for that source.
#include "manager.h"
#include "operations.h"

namespace lx9::dsm {
namespace {

bool IsNotification(TW_UINT16 msg) {
    return msg == MSG_XFERREADY || msg == MSG_CLOSEDSREQ || msg == MSG_CLOSEDSOK;
}

// The event has been offered to the source first; a kept notification then rides on it back to the
// application, which is what a TWAIN 1.x application's message loop looks for.
TW_UINT16 DeliverPending(TW_UINT32 sourceId, TW_MEMREF data, TW_UINT16 rc) {
    OpenSource* source = TheManager().FindOpenSource(sourceId);
    if (!source || source->pending.empty()) return rc;
    static_cast<TW_EVENT*>(data)->TWMessage = source->pending.front();
    source->pending.pop_front();
    return TWRC_DSEVENT;
}

}  // namespace

// DG_CONTROL/DAT_NULL: pOrigin is the source, pDest its application.
TW_UINT16 SourceNotification(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT16 msg) {
    Application* owner = nullptr;
    OpenSource* source = TheManager().FindOpenSource(origin->Id, &owner);
    if (!source) return Refuse(origin, TWCC_BADVALUE);
    if (!dest || dest->Id != owner->identity.Id) return Refuse(origin, TWCC_BADDEST);
    if (!IsNotification(msg)) return Refuse(origin, TWCC_BADPROTOCOL);
    if (source->pending.size() >= kMaxPendingNotifications) return Refuse(origin, TWCC_BUMMER);
    source->pending.push_back(msg);
    // Wake a message loop that is waiting: the notification travels on the next event it hands over.
    if (IsWindow(owner->window)) PostMessageA(owner->window, WM_NULL, 0, 0);
    return TWRC_SUCCESS;
}

TW_UINT16 PassToSource(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                       TW_MEMREF data) {
    Application* app = TheManager().FindApplication(origin->Id);
    if (!app) return Refuse(origin, TWCC_SEQERROR);
    Application* owner = nullptr;
    OpenSource* source = TheManager().FindOpenSource(dest->Id, &owner);
    if (!source || owner != app) return Refuse(origin, TWCC_BADDEST);
    const bool isEvent = dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT;
    if (isEvent && !data) return Refuse(origin, TWCC_BADVALUE);

    const TW_UINT32 sourceId = source->identity.Id;
    const TW_UINT16 rc = source->entry(origin, dg, dat, msg, data);
    return isEvent ? DeliverPending(sourceId, data, rc) : rc;
}

}  // namespace lx9::dsm
