// One scan on a thread of its own, so that sane_start returns at once and sane_cancel (which may run in a
// signal handler) only has to raise the flag the scan polls.
#pragma once

#include <atomic>
#include <thread>

#include "session.h"

namespace lx9::sane {

struct ScanOrder {
    bool indexSheet = false;  // the whole cartridge's sheet; else request
    FrameRequest request;
};

class ScanJob {
  public:
    ScanJob() = default;
    ~ScanJob() { Finish(); }
    ScanJob(const ScanJob&) = delete;
    ScanJob& operator=(const ScanJob&) = delete;

    // The session is left to the job until Finish. kNoMem when no thread can be had.
    Status Start(Session* session, const ScanOrder& order, const std::atomic<bool>* cancel);

    // Waits for the scan (the session bounds every wait) and gives its status; kInvalid without a scan.
    Status Finish();

    Picture& Result() { return picture_; }

  private:
    std::thread thread_;
    Status status_ = Status::kInvalid;
    Picture picture_;
};

}  // namespace lx9::sane
