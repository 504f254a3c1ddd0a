// DG_CONTROL/DAT_USERINTERFACE: enable and disable, with the language taken from the host's settings.
#include "twain/user_interface.h"

#include "twain/operations.h"
#include "twain/refusal.h"
#include "twain/source_state.h"

#include <cstring>

namespace lx9 {

namespace {

UserInterfaceSteps registeredSteps{};

constexpr const char* kEnablePrefix = "General failure in response to MSG_ENABLEDS.  ";

TW_UINT16 RefuseEnable() {
    MessageBoxA(nullptr, "can't open dialog.", nullptr, MB_OK | MB_ICONSTOP);
    sourceState = kState4Open;
    return Refuse(TWCC_SEQERROR, kEnablePrefix);
}

uint8_t LanguageFromCode(const char* code) {
    if (std::strncmp(code, "de", 2) == 0) return 2;
    if (std::strncmp(code, "fr", 2) == 0) return 1;
    return 0;
}

}  // namespace

void SetUserInterfaceSteps(const UserInterfaceSteps* steps) {
    registeredSteps = steps ? *steps : UserInterfaceSteps{};
}

// DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS (state 4 checked by the dispatch table)
TW_UINT16 EnableDs(pTW_IDENTITY, TW_UINT16, TW_MEMREF data) {
    const auto* ui = static_cast<const TW_USERINTERFACE*>(data);
    parentWindow = static_cast<HWND>(ui->hParent);
    language = 0;
    sourceState = kState5Enabled;

    // Room for three characters: anything but exactly three read back means no usable setting.
    char languageCode[4] = {};
    const DWORD length = GetProfileStringA("intl", "sLanguage", "jpn", languageCode, sizeof languageCode);

    // The splash comes before the setting is judged: it is the same picture in every language.
    const INT_PTR splash = registeredSteps.showSplash ? registeredSteps.showSplash(parentWindow) : 0;
    if (length != 3 || splash == -1) return RefuseEnable();

    language = LanguageFromCode(languageCode);
    if (!registeredSteps.runPreparation) return TWRC_SUCCESS;
    // Only the first preparation of the module leaves the main window to us; later ones (and restarts)
    // make it themselves before they end.
    if (registeredSteps.runPreparation(parentWindow) == 1 && !mainDialog &&
        registeredSteps.createMainWindow) {
        registeredSteps.createMainWindow(parentWindow);
    }
    // EXIT and a failed start-up have asked the application to close the source: the enable itself worked.
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS (states 5 to 7 checked by the dispatch table)
TW_UINT16 DisableDs(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    if (mainDialog) {
        HWND window = mainDialog;
        DestroyWindow(window);
        // The main window forgets itself when destroyed; a window that does not must not leave a stale
        // handle.
        if (mainDialog == window) mainDialog = nullptr;
    }
    sourceState = kState4Open;
    return TWRC_SUCCESS;
}

// DG_CONTROL/DAT_USERINTERFACE/any other message
TW_UINT16 UserInterfaceOther(pTW_IDENTITY, TW_UINT16, TW_MEMREF) {
    return Refuse(TWCC_BADPROTOCOL, "General failure in response to DAT_USERINTERFACE.  ");
}

}  // namespace lx9
