// Notifications to the application through the data source manager, which is loaded by name for each one.
#pragma once

namespace lx9 {

// State 6 first (it stands even when the manager cannot be reached), then MSG_XFERREADY.
void NotifyTransferReady();

// MSG_CLOSEDSREQ; changes no state.
void NotifyCloseRequest();

// Tests point the link at another library name to stand for a missing manager; null restores "TWAIN_32.DLL".
void SetManagerLibraryName(const char* name);

}  // namespace lx9
