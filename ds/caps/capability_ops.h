// The capability operations: DAT_CAPABILITY and the two response tables, served from the control files.
#pragma once

#include "lx9twain.h"

namespace lx9 {

// DG_CONTROL/DAT_CAPABILITY: MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_SET, MSG_RESET and
// MSG_QUERYSUPPORT (pData: TW_CAPABILITY). Other TWAIN 1.5 messages get the error box; messages of later
// versions are refused without it.
TW_UINT16 CapabilityOperation(TW_UINT16 msg, TW_MEMREF pData);

// DG_IMAGE/DAT_GRAYRESPONSE and DAT_RGBRESPONSE, any message: the first 16 elements of the application's
// table are written to the source-control file.
TW_UINT16 GrayResponseOperation(TW_UINT16 msg, TW_MEMREF pData);
TW_UINT16 RgbResponseOperation(TW_UINT16 msg, TW_MEMREF pData);

}  // namespace lx9
