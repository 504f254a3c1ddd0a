// The windows that MSG_ENABLEDS opens, registered by the user interface (which sits above this layer).
#pragma once

#include "lx9twain.h"

namespace lx9 {

// Each may be null: that window is not shown (the test shell of the host tests registers only a stand-in
// for the preparation).
struct UserInterfaceSteps {
    INT_PTR (*showSplash)(HWND owner);      // DialogBoxParamA's result: -1 when it could not be shown
    INT_PTR (*runPreparation)(HWND owner);  // 1: the device is ready; anything else: EXIT or a failure
    HWND (*createMainWindow)(HWND owner);   // records mainDialog itself
};

// Pass null to register nothing: MSG_ENABLEDS then opens no window and succeeds.
void SetUserInterfaceSteps(const UserInterfaceSteps* steps);

}  // namespace lx9
