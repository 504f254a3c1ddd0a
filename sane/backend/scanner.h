// An open LX-9: the scanner session, the options, and the scan in progress with its state.
//
// A batch is a run of sane_start calls, each after the previous picture was read to its end, with no
// sane_cancel between them: the first scans the frame the frame option names, each further one the next
// frame, and the one after the cartridge's last frame (or after the index sheet) gives SANE_STATUS_NO_DOCS.
// sane_cancel ends the batch, so the next sane_start begins at the frame option again; the frame option
// itself is never changed by scanning.
#pragma once

#include <sane/sane.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "options.h"
#include "scan_job.h"
#include "session.h"

namespace lx9::sane {

class Scanner {
  public:
    Scanner(std::string port, int cartridgeWaitMs);
    ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    // The session's start-up, waiting (bounded) for a cartridge.
    SANE_Status Open();

    const SANE_Option_Descriptor* Descriptor(SANE_Int option) const { return options_.Descriptor(option); }
    SANE_Status Control(SANE_Int option, SANE_Action action, void* value, SANE_Int* info);
    SANE_Status Parameters(SANE_Parameters* params);
    SANE_Status Start();
    SANE_Status Read(SANE_Byte* data, SANE_Int maxLength, SANE_Int* length);

    // Safe in a signal handler: raises the flag that the scan and the next call of the handle act on.
    void Cancel() { cancel_.store(true); }

  private:
    enum class Phase { kIdle, kScanning, kReading, kDone, kCancelled };

    void Settle();
    bool Busy() const { return phase_ == Phase::kScanning || phase_ == Phase::kReading; }
    SANE_Status EnsureOpen();
    SANE_Status RefreshCartridge();
    SANE_Status Plan(int frame, ScanOrder* order, SANE_Parameters* params) const;
    SANE_Status PressEject(SANE_Int* info);
    SANE_Status Collect();
    void Advance();

    std::string port_;
    int cartridgeWaitMs_;
    Session session_;
    Options options_;
    ScanJob job_;
    std::atomic<bool> cancel_{false};
    Phase phase_ = Phase::kIdle;
    int runFrame_ = 0;      // the frame being scanned in the current batch; 0 before its first scan
    bool runOver_ = false;  // the batch has had its last picture
    bool runSheet_ = false;
    SANE_Parameters params_{};
    size_t offset_ = 0;
};

}  // namespace lx9::sane
