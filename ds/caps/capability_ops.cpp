// DG_CONTROL/DAT_CAPABILITY: every request re-reads the control files; nothing is cached but the entry the
// last MSG_SET wrote, which its rebuild reads.
#include "caps/capability_ops.h"

#include "caps/capability_build.h"
#include "caps/capability_set.h"
#include "caps/control_files.h"
#include "caps/profile_io.h"
#include "twain/error_box.h"
#include "twain/protocol_messages.h"
#include "twain/source_state.h"

namespace lx9 {
namespace {

std::string lastSetKey;

TW_UINT16 Fail(TW_UINT16 condition) {
    conditionCode = condition;
    return TWRC_FAILURE;
}

bool IsCapabilityMessage(TW_UINT16 msg) {
    return msg == MSG_GET || msg == MSG_GETCURRENT || msg == MSG_GETDEFAULT || msg == MSG_SET ||
           msg == MSG_RESET || msg == MSG_QUERYSUPPORT;
}

bool IsGetMessage(TW_UINT16 msg) {
    return msg == MSG_GET || msg == MSG_GETCURRENT || msg == MSG_GETDEFAULT;
}

// Reading the feeder capability starts a new batch: nothing is pending any more.
void ClearPendingImages() {
    WriteSourceControlEntry("ADF", "PendingImages", "0");
}

/* DG_CONTROL/DAT_CAPABILITY/MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT */
TW_UINT16 GetCapability(const char* section, TW_UINT16 msg, TW_CAPABILITY& cap) {
    const TW_UINT16 built = BuildCapability(section, msg, lastSetKey, cap);
    if (cap.Cap == CAP_AUTOFEED) ClearPendingImages();
    conditionCode = built;
    return built == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE;
}

/* DG_CONTROL/DAT_CAPABILITY/MSG_QUERYSUPPORT */
TW_UINT16 QuerySupport(const char* section, TW_CAPABILITY& cap) {
    ContainerContent content;
    content.conType = TWON_ONEVALUE;
    content.itemType = TWTY_INT32;
    TW_INT32 flags = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT;
    if (IsSettable(section)) flags |= TWQC_SET;
    if (IsResettable(cap.Cap, section)) flags |= TWQC_RESET;
    content.item = static_cast<uint32_t>(flags);
    const TW_UINT16 stored = StoreNewContainer(content, cap);
    conditionCode = stored;
    return stored == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE;
}

/* DG_CONTROL/DAT_CAPABILITY/MSG_SET */
TW_UINT16 SetCapabilityMessage(const char* section, TW_CAPABILITY& cap) {
    // A capability no set can change still accepts its own current value: the application's block already
    // holds it, and nothing is written.
    if (!IsSettable(section) && HoldsCurrentValue(section, cap)) {
        conditionCode = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    const TW_UINT16 refused = SetCapability(section, cap, lastSetKey);
    if (refused != TWCC_SUCCESS) return Fail(refused);
    // The value is stored; a rebuild that does not fit the application's block leaves that block as it was.
    BuildCapability(section, MSG_SET, lastSetKey, cap);
    conditionCode = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

/* DG_CONTROL/DAT_CAPABILITY/MSG_RESET */
TW_UINT16 ResetCapabilityMessage(const char* section, TW_CAPABILITY& cap) {
    const TW_UINT16 refused = ResetCapability(section);
    if (refused != TWCC_SUCCESS) return Fail(refused);
    // The application expects a container back; without one the reset is not reported as a success.
    const TW_UINT16 built = BuildCapability(section, MSG_RESET, lastSetKey, cap);
    conditionCode = built;
    return built == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE;
}

TW_UINT16 Dispatch(TW_UINT16 msg, TW_CAPABILITY& cap) {
    // A missing file has shown its message; the request then fails rather than leave the container untouched.
    if (!CheckControlFiles()) return Fail(TWCC_OPERATIONERROR);
    const std::string section = SectionForCapability(cap.Cap);
    if (!IsCapabilityMessage(msg)) {
        conditionCode = TWCC_BADPROTOCOL;
        // A question of a later TWAIN version (a label, a help text) is answered "not served", without a box.
        if (IsTwain15Message(msg))
            ShowSourceError("General failure in response to DAT_CAPS.  ", TWCC_BADPROTOCOL);
        return TWRC_FAILURE;
    }
    // A capability the files do not know is refused before anything is read or written under "NONE".
    if (section == "NONE") {
        if (IsGetMessage(msg) && cap.Cap == CAP_AUTOFEED) ClearPendingImages();
        return Fail(TWCC_BADCAP);
    }
    if (IsGetMessage(msg)) return GetCapability(section.c_str(), msg, cap);
    if (msg == MSG_QUERYSUPPORT) return QuerySupport(section.c_str(), cap);
    if (msg == MSG_SET) return SetCapabilityMessage(section.c_str(), cap);
    return ResetCapabilityMessage(section.c_str(), cap);
}

}  // namespace

TW_UINT16 CapabilityOperation(TW_UINT16 msg, TW_MEMREF pData) {
    if (pData == nullptr) return Fail(TWCC_BADVALUE);
    try {
        return Dispatch(msg, *static_cast<TW_CAPABILITY*>(pData));
    } catch (...) {  // nothing may leave through DS_Entry
        return Fail(TWCC_LOWMEMORY);
    }
}

}  // namespace lx9
