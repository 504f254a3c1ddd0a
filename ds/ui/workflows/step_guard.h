// A step routine's re-entry guard: a step can show a message box and so pump messages, and a tick that
// arrives meanwhile must not run the step a second time.
#pragma once

namespace lx9 {

class StepGuard {
  public:
    explicit StepGuard(bool& flag) : flag_(flag), taken_(!flag) { flag_ = true; }
    // Released on every return, also after a report: a later main window must find its steps runnable.
    ~StepGuard() {
        if (taken_) flag_ = false;
    }
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;
    bool Taken() const { return taken_; }

  private:
    bool& flag_;
    bool taken_;
};

}  // namespace lx9
