// DG_IMAGE/DAT_IMAGENATIVEXFER: the stored block itself goes to the application.
#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/transfer_image.h"

namespace lx9 {

namespace {

constexpr const char* kNativePrefix = "General failure in response to DAT_IMAGENATIVEXFER.  ";

}  // namespace

// DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET (states 6 and 7 checked by the dispatch table). The application's
// value receives the handle at its full width (32 bits on 32-bit Windows); the state stays at 6.
TW_UINT16 ImageNativeXferOperation(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_GET) return Refuse(TWCC_BADPROTOCOL, kNativePrefix);
    if (!transferImage) return Refuse(TWCC_SEQERROR, kNativePrefix);
    *static_cast<TW_HANDLE*>(data) = TakeTransferImage();
    return TWRC_XFERDONE;
}

}  // namespace lx9
