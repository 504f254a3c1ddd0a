// DG_CONTROL/DAT_SETUPMEMXFER and DG_CONTROL/DAT_XFERGROUP.
#include "twain/control_settings.h"
#include "twain/operations.h"
#include "twain/refusal.h"

#include <cstring>

namespace lx9 {

// DG_CONTROL/DAT_SETUPMEMXFER/MSG_GET (states 4 to 6 checked by the dispatch table)
TW_UINT16 SetupMemXferOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_GET)
        return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_SETUPMEMXFER, not supported.  ");
    auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
    setup->MinBufSize = ReadSourceControlInt("Setup Memory Transfer", "Min", 512);
    setup->MaxBufSize = ReadSourceControlInt("Setup Memory Transfer", "Max", 2048);
    setup->Preferred = ReadSourceControlInt("Setup Memory Transfer", "Preferred", 1024);
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_XFERGROUP/MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_SET (states 4 to 6 checked
// by the dispatch table). Only images are transferred; MSG_SET accepts anything and changes nothing.
TW_UINT16 XferGroupOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    switch (msg) {
        case MSG_GET:
        case MSG_GETCURRENT:
        case MSG_GETDEFAULT:
        case MSG_RESET: {
            // 16 bits into the first two bytes of the application's 32-bit value; its upper half stays.
            const TW_UINT16 group = DG_IMAGE;
            std::memcpy(data, &group, sizeof group);
            return TWRC_SUCCESS;
        }
        case MSG_SET:
            return TWRC_SUCCESS;
        default:
            return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_XFERGROUP, not supported.  ");
    }
}

}  // namespace lx9
