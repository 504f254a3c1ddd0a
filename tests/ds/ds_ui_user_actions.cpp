// A person at the screen, as a test plays one: actions on a thread timer that also runs inside the windows'
// modal loops.
#include "ds_ui_user_actions.h"

#include <cstring>
#include <deque>

namespace lx9test {

namespace {

struct PendingAction {
    std::string what;
    UserActions::Action action;
    unsigned timeoutMs;
    DWORD started = 0;
};

std::deque<PendingAction> pending;
std::vector<std::string> failures;
UINT_PTR actionTimer = 0;
bool inAction = false;

BOOL CALLBACK EndDialogOfThread(HWND window, LPARAM) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) EndDialog(window, -2);
    return TRUE;
}

void CALLBACK RunActions(HWND, UINT, UINT_PTR, DWORD) {
    if (inAction || pending.empty()) return;  // an action that pumps messages must not be re-entered
    inAction = true;
    PendingAction& next = pending.front();
    if (next.started == 0) next.started = GetTickCount();
    if (next.action()) {
        pending.pop_front();
    } else if (GetTickCount() - next.started > next.timeoutMs) {
        failures.push_back("timed out: " + next.what);
        pending.clear();
        EnumThreadWindows(GetCurrentThreadId(), EndDialogOfThread, 0);
    }
    inAction = false;
}

}  // namespace

UserActions::UserActions() {
    pending.clear();
    failures.clear();
    inAction = false;
    actionTimer = SetTimer(nullptr, 0, 20, RunActions);
}

UserActions::~UserActions() {
    KillTimer(nullptr, actionTimer);
    actionTimer = 0;
    pending.clear();
}

UserActions& UserActions::Then(std::string what, Action action, unsigned timeoutMs) {
    pending.push_back({std::move(what), std::move(action), timeoutMs});
    return *this;
}

bool UserActions::AllDone() const {
    return pending.empty() && failures.empty();
}

const std::vector<std::string>& UserActions::Failures() const {
    return failures;
}

}  // namespace lx9test
