// How the session's pieces hand a result up: a status and, when it is not kGood, why.
#pragma once

#include <string>

#include "device/report_target.h"
#include "session.h"

namespace lx9::sane {

struct Outcome {
    Status status = Status::kGood;
    std::string reason;
    bool Good() const { return status == Status::kGood; }
};

inline Outcome Fail(Status status, std::string reason) {
    return Outcome{status, std::move(reason)};
}

// The outcome of a failure the core reported into sink (the port is closed by then): the status its cause
// maps to and the user's text, prefixed by what was being done.
Outcome FromReport(const ReportSink& sink, const char* doing);

// Reports a failed device operation the way the data source's error path does, unless the operation has
// reported already, then gives its outcome.
Outcome ReportFailure(ReportSink* sink, const char* doing);

}  // namespace lx9::sane
