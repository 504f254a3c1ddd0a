#include "ui/source_windows.h"

#include "twain/user_interface.h"
#include "ui/aux_dialogs.h"
#include "ui/main_window.h"
#include "ui/preparing_dialog.h"

namespace lx9 {

void UseSourceWindows() {
    static const UserInterfaceSteps steps{ShowSplash, ShowPreparingDialog, CreateMainWindow};
    SetUserInterfaceSteps(&steps);
}

}  // namespace lx9
