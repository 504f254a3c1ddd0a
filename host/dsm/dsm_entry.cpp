// DSM_Entry, the manager's only export: routes each call to the manager's own operations or to the open
// source it is addressed to. Nothing may throw across it.
#include "manager.h"
#include "operations.h"

namespace lx9::dsm {
namespace {

TW_UINT16 Route(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                TW_MEMREF data) {
    if (!origin) return Refuse(nullptr, TWCC_BADVALUE);
    if (dg == DG_CONTROL) {
        switch (dat) {
            case DAT_NULL:
                return SourceNotification(origin, dest, msg);
            case DAT_PARENT:
                return ParentOperation(origin, msg, data);
            case DAT_IDENTITY:
                // Only a source's own identity query goes to the source; the rest is the manager's.
                if (!(msg == MSG_GET && dest)) return IdentityOperation(origin, msg, data);
                break;
            case DAT_STATUS:
                if (!dest) return ManagerStatus(origin, msg, data);
                break;
            default:
                break;
        }
    }
    if (!dest) return Refuse(origin, TWCC_BADPROTOCOL);
    return PassToSource(origin, dest, dg, dat, msg, data);
}

}  // namespace
}  // namespace lx9::dsm

extern "C" TW_UINT16 WINAPI DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                      TW_UINT16 MSG, TW_MEMREF pData) {
    try {
        return lx9::dsm::Route(pOrigin, pDest, DG, DAT, MSG, pData);
    } catch (...) {
        return lx9::dsm::Refuse(pOrigin, TWCC_LOWMEMORY);
    }
}
