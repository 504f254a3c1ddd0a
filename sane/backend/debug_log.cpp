#include "debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace lx9::sane {
namespace {

int LevelFromEnvironment() {
    const char* text = std::getenv("SANE_DEBUG_LX9");
    if (text == nullptr) return 0;
    char* end = nullptr;
    const long level = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || level < 0) return 0;
    return level > 255 ? 255 : static_cast<int>(level);
}

}  // namespace

void Log(int level, const char* format, ...) {
    static const int enabled = LevelFromEnvironment();
    if (level > enabled) return;
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "[lx9] %s\n", line);
}

}  // namespace lx9::sane
