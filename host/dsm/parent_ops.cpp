#include "manager.h"
#include "operations.h"

namespace lx9::dsm {
namespace {

// DG_CONTROL/DAT_PARENT/MSG_OPENDSM: pData points to the application's window handle.
TW_UINT16 OpenManager(TW_IDENTITY* origin, TW_MEMREF data) {
    Manager& manager = TheManager();
    if (manager.FindApplication(origin->Id)) return Refuse(origin, TWCC_SEQERROR);
    if (!data) return Refuse(origin, TWCC_BADVALUE);
    HWND window = *static_cast<HWND*>(data);
    if (!window || !IsWindow(window)) return Refuse(origin, TWCC_BADVALUE);
    origin->Id = manager.NewId();
    manager.AddApplication(*origin, window);
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_PARENT/MSG_CLOSEDSM: only once the application has closed all its sources.
TW_UINT16 CloseManager(TW_IDENTITY* origin) {
    Manager& manager = TheManager();
    Application* app = manager.FindApplication(origin->Id);
    if (!app || !app->sources.empty()) return Refuse(origin, TWCC_SEQERROR);
    manager.RemoveApplication(origin->Id);
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 ParentOperation(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
    switch (msg) {
        case MSG_OPENDSM:
            return OpenManager(origin, data);
        case MSG_CLOSEDSM:
            return CloseManager(origin);
        default:
            return Refuse(origin, TWCC_BADPROTOCOL);
    }
}

// DG_CONTROL/DAT_STATUS/MSG_GET: the caller's last condition, cleared by being read.
TW_UINT16 ManagerStatus(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_GET) return Refuse(origin, TWCC_BADPROTOCOL);
    if (!data) return Refuse(origin, TWCC_BADVALUE);
    Application* app = TheManager().FindApplication(origin->Id);
    TW_UINT16& condition = app ? app->conditionCode : TheManager().strangerCondition;
    auto* status = static_cast<TW_STATUS*>(data);
    status->ConditionCode = condition;
    status->Reserved = 0;
    condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

}  // namespace lx9::dsm
