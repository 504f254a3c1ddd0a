// The session's outcomes as SANE status values.
#pragma once

#include <sane/sane.h>

#include "session.h"

namespace lx9::sane {

inline SANE_Status ToSane(Status status) {
    switch (status) {
        case Status::kGood:
            return SANE_STATUS_GOOD;
        case Status::kNoDocs:
            return SANE_STATUS_NO_DOCS;
        case Status::kDeviceBusy:
            return SANE_STATUS_DEVICE_BUSY;
        case Status::kCancelled:
            return SANE_STATUS_CANCELLED;
        case Status::kNoMem:
            return SANE_STATUS_NO_MEM;
        case Status::kInvalid:
            return SANE_STATUS_INVAL;
        case Status::kIoError:
            break;
    }
    return SANE_STATUS_IO_ERROR;
}

}  // namespace lx9::sane
