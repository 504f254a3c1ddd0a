// Notifications to the application through the data source manager, which is loaded by name for each one.
#pragma once

namespace lx9 {

// State 6 first (it stands even when the manager cannot be reached), then MSG_XFERREADY.
void NotifyTransferReady();

// MSG_CLOSEDSREQ; changes no state.
void NotifyCloseRequest();

}  // namespace lx9
