// Module-wide state of the TWAIN core: one loaded module serves one application at a time.
#pragma once

#include "lx9twain.h"

#include <cstdint>

namespace lx9 {

extern TW_IDENTITY sourceIdentity;  // ours; replaced by the manager's record (with its Id) at MSG_OPENDS
extern TW_IDENTITY appIdentity;     // the connected application; Id 0 while none is connected
extern int32_t sourceState;         // TWAIN state x 100: 300, 400, 500, 600 (700 is never entered)
extern TW_UINT16 conditionCode;     // TWCC of the last refusal, reported and cleared by DAT_STATUS
extern HWND mainDialog;             // the modeless main window, or null
extern HWND parentWindow;           // the application's window from the last MSG_ENABLEDS; owns the error box
extern HINSTANCE moduleInstance;    // for dialogs and bitmaps
extern uint8_t language;            // 0 English, 1 French, 2 German (set at enable)

constexpr int32_t kState3Loaded = 300;
constexpr int32_t kState4Open = 400;
constexpr int32_t kState5Enabled = 500;
constexpr int32_t kState6TransferReady = 600;
constexpr int32_t kState7Transferring = 700;

// Module start-up (DllMain calls it; tests call it directly): records the instance, forgets any application
// and fills our identity.
void OnModuleAttach(HINSTANCE instance);

}  // namespace lx9
