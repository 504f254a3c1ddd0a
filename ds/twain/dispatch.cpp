// DS_Entry and the dispatch table: each (group, data type, message) goes to the operation that serves it,
// after the state check of the TWAIN state table. Triplets not listed are refused without a box, and so are
// messages of later TWAIN versions that no row names.
#include "twain/ds_entry.h"

#include "caps/capability_ops.h"
#include "twain/operations.h"
#include "twain/protocol_messages.h"
#include "twain/refusal.h"
#include "twain/source_state.h"

#include <exception>
#include <new>

namespace lx9 {

namespace {

// TWAIN states 3 to 7 as bits, so the table can list where each operation is allowed.
using StateSet = unsigned;
constexpr StateSet S3 = 1u << 3, S4 = 1u << 4, S5 = 1u << 5, S6 = 1u << 6, S7 = 1u << 7;
constexpr StateSet kAnyState = S3 | S4 | S5 | S6 | S7;

// A row for the TWAIN 1.5 messages its group and type have no row of their own for: the operation serves
// or refuses them (as a rule with a box). A message of a later version never reaches such a row.
constexpr TW_UINT16 kOtherMessages = 0xffff;
// A row for every message, whatever its number: the operations that take any message.
constexpr TW_UINT16 kEveryMessage = 0xfffe;

enum class Data { Needed, Unused };

struct Route {
    TW_UINT32 group;
    TW_UINT16 type;
    TW_UINT16 message;
    StateSet states;
    const char* sequencePrefix;  // the error box of a refusal for the state
    Data data;
    Operation operation;
};

TW_UINT16 Capability(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    return CapabilityOperation(msg, data);
}
TW_UINT16 GrayResponse(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    return GrayResponseOperation(msg, data);
}
TW_UINT16 RgbResponse(pTW_IDENTITY, TW_UINT16 msg, TW_MEMREF data) {
    return RgbResponseOperation(msg, data);
}

constexpr const char* kPendingPrefix = "General failure in response to DAT_PENDINGXFER.  ";

constexpr Route kRoutes[] = {
    {DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, kAnyState, nullptr, Data::Needed, Capability},
    {DG_CONTROL, DAT_CAPABILITY, kOtherMessages, kAnyState, nullptr, Data::Needed, Capability},
    {DG_CONTROL, DAT_IDENTITY, MSG_GET, kAnyState, nullptr, Data::Needed, IdentityGet},
    {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, S3, "General failure in response to MSG_OPENDS.  ", Data::Needed,
     OpenDs},
    {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, S4 | S5 | S6 | S7,
     "General failure in response to MSG_CLOSEDS.  ", Data::Unused, CloseDs},
    {DG_CONTROL, DAT_IDENTITY, kOtherMessages, kAnyState, nullptr, Data::Unused, IdentityOther},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, S4 | S5 | S6 | S7, kPendingPrefix, Data::Needed, PendingXfersGet},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, kAnyState, nullptr, Data::Needed, PendingXfersEnd},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, S6 | S7, kPendingPrefix, Data::Needed, PendingXfersReset},
    {DG_CONTROL, DAT_PENDINGXFERS, kOtherMessages, kAnyState, nullptr, Data::Unused, PendingXfersOther},
    {DG_CONTROL, DAT_SETUPMEMXFER, kOtherMessages, S4 | S5 | S6,
     "General failure in response to DAT_SETUPMEMXFER, not supported.  ", Data::Needed,
     SetupMemXferOperation},
    {DG_CONTROL, DAT_SETUPFILEXFER, kOtherMessages, S4 | S5 | S6,
     "General failure in response to DAT_SETUPFILEXFER, not supported.  ", Data::Needed,
     SetupFileXferOperation},
    {DG_CONTROL, DAT_STATUS, kOtherMessages, kAnyState, nullptr, Data::Needed, StatusOperation},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, S4, "General failure in response to MSG_ENABLEDS.  ",
     Data::Needed, EnableDs},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, S5 | S6 | S7,
     "General failure in response to MSG_DISABLEDS.  ", Data::Unused, DisableDs},
    {DG_CONTROL, DAT_USERINTERFACE, kOtherMessages, kAnyState, nullptr, Data::Unused, UserInterfaceOther},
    {DG_CONTROL, DAT_XFERGROUP, kOtherMessages, S4 | S5 | S6,
     "General failure in response to DAT_XFERGROUP, not supported.  ", Data::Needed, XferGroupOperation},
    {DG_IMAGE, DAT_IMAGEINFO, kOtherMessages, S6, "General failure in transfer.  ", Data::Needed,
     ImageInfoOperation},
    {DG_IMAGE, DAT_IMAGELAYOUT, kOtherMessages, kAnyState, nullptr, Data::Needed, ImageLayoutOperation},
    {DG_IMAGE, DAT_IMAGEMEMXFER, kOtherMessages, kAnyState, nullptr, Data::Needed, ImageMemXferOperation},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, kOtherMessages, S6 | S7,
     "General failure in response to DAT_IMAGENATIVEXFER.  ", Data::Needed, ImageNativeXferOperation},
    {DG_IMAGE, DAT_IMAGEFILEXFER, kOtherMessages, kAnyState, nullptr, Data::Unused, ImageFileXferOperation},
    {DG_IMAGE, DAT_CIECOLOR, kEveryMessage, kAnyState, nullptr, Data::Needed, CieColorOperation},
    {DG_IMAGE, DAT_GRAYRESPONSE, kEveryMessage, kAnyState, nullptr, Data::Needed, GrayResponse},
    {DG_IMAGE, DAT_RGBRESPONSE, kEveryMessage, kAnyState, nullptr, Data::Needed, RgbResponse},
    {DG_IMAGE, DAT_JPEGCOMPRESSION, kEveryMessage, kAnyState, nullptr, Data::Unused,
     JpegCompressionOperation},
    {DG_IMAGE, DAT_PALETTE8, kOtherMessages, S4 | S5 | S6, "General failure in response to DAT_PALETTE8.  ",
     Data::Needed, Palette8Operation},
};

// The row for this exact message, else the row for every message, else (for a TWAIN 1.5 message) the row
// for the type's other messages, else none.
const Route* FindRoute(TW_UINT32 group, TW_UINT16 type, TW_UINT16 message) {
    const Route* other = nullptr;
    for (const Route& route : kRoutes) {
        if (route.group != group || route.type != type) continue;
        if (route.message == message || route.message == kEveryMessage) return &route;
        if (route.message == kOtherMessages && IsTwain15Message(message)) other = &route;
    }
    return other;
}

bool InStates(StateSet states) {
    int32_t state = sourceState / 100;
    return state >= 3 && state <= 7 && (states & (1u << state)) != 0;
}

TW_UINT16 Dispatch(pTW_IDENTITY origin, TW_UINT32 group, TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
    // One application at a time: another caller's request is not processed at all.
    if (appIdentity.Id != 0 && (!origin || origin->Id != appIdentity.Id)) return TWRC_FAILURE;
    if (message == MSG_PROCESSEVENT) return ProcessEvent(data);

    const Route* route = FindRoute(group, type, message);
    if (!route) return Refuse(TWCC_BADPROTOCOL, nullptr);
    if (!InStates(route->states)) return Refuse(TWCC_SEQERROR, route->sequencePrefix);
    // An application passing no structure gets a refusal, not a write through a null pointer.
    if (route->data == Data::Needed && !data) return Refuse(TWCC_BADVALUE, nullptr);
    return route->operation(origin, message, data);
}

}  // namespace

}  // namespace lx9

extern "C" TW_UINT16 WINAPI DS_Entry(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                     TW_MEMREF pData) {
    // Nothing may unwind into the manager or the application.
    try {
        return lx9::Dispatch(pOrigin, DG, DAT, MSG, pData);
    } catch (const std::bad_alloc&) {
        return lx9::Refuse(TWCC_LOWMEMORY, nullptr);
    } catch (...) {
        return lx9::Refuse(TWCC_BUMMER, nullptr);
    }
}
