// The TWAIN operations the dispatch table routes to. Each takes the caller's identity, the message and the
// caller's data (never null when the table says the operation needs data); state checks happen in the table.
#pragma once

#include "lx9twain.h"

namespace lx9 {

using Operation = TW_UINT16 (*)(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// session_operations.cpp
TW_UINT16 IdentityGet(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 OpenDs(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 CloseDs(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 IdentityOther(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 StatusOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 ProcessEvent(TW_MEMREF data);

// user_interface.cpp
TW_UINT16 EnableDs(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 DisableDs(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 UserInterfaceOther(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// pending_transfers.cpp
TW_UINT16 PendingXfersGet(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 PendingXfersEnd(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 PendingXfersReset(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 PendingXfersOther(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// transfer_setup.cpp
TW_UINT16 SetupMemXferOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 XferGroupOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// file_transfer.cpp
TW_UINT16 SetupFileXferOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 ImageFileXferOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// image_info.cpp
TW_UINT16 ImageInfoOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// native_transfer.cpp
TW_UINT16 ImageNativeXferOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// memory_transfer.cpp
TW_UINT16 ImageMemXferOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

// image_group.cpp
TW_UINT16 ImageLayoutOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 Palette8Operation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 CieColorOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 JpegCompressionOperation(pTW_IDENTITY origin, TW_UINT16 msg, TW_MEMREF data);

}  // namespace lx9
