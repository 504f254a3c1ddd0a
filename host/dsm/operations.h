// The manager's operations, one family per file; DSM_Entry routes every call to one of them.
#pragma once

#include <lx9twain.h>

namespace lx9::dsm {

// DG_CONTROL/DAT_PARENT: MSG_OPENDSM, MSG_CLOSEDSM (parent_ops.cpp).
TW_UINT16 ParentOperation(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data);
// DG_CONTROL/DAT_STATUS/MSG_GET addressed to the manager itself (parent_ops.cpp).
TW_UINT16 ManagerStatus(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data);
// DG_CONTROL/DAT_IDENTITY: listing, choosing, opening and closing sources (identity_ops.cpp).
TW_UINT16 IdentityOperation(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data);
// DG_CONTROL/DAT_NULL from a source: a notification for its application (notifications.cpp).
TW_UINT16 SourceNotification(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT16 msg);
// Any other triplet addressed to an open source, MSG_PROCESSEVENT included (notifications.cpp).
TW_UINT16 PassToSource(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                       TW_MEMREF data);

}  // namespace lx9::dsm
