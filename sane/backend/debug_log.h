// The backend's debug log on standard error, its level from SANE_DEBUG_LX9 (0, the default, says nothing),
// the way SANE's own backends are traced.
#pragma once

namespace lx9::sane {

enum LogLevel { kLogError = 1, kLogInfo = 3, kLogCall = 5, kLogTrace = 7 };

void Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace lx9::sane
