// A person at the screen, played by a test: actions stepped by a thread timer that keeps running inside the
// windows' modal loops (dialogs, message boxes), so that a test can act while a modal window is up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace lx9test {

// Actions run one after another on a 20 ms thread timer; each is called until it returns true. One that
// is not done within its time-out is recorded as a failure and ends every dialog of the thread, so that a
// test never hangs in a modal loop.
class UserActions {
  public:
    using Action = std::function<bool()>;
    UserActions();
    ~UserActions();
    UserActions(const UserActions&) = delete;
    UserActions& operator=(const UserActions&) = delete;

    UserActions& Then(std::string what, Action action, unsigned timeoutMs = 20000);
    bool AllDone() const;
    const std::vector<std::string>& Failures() const;
};

}  // namespace lx9test
