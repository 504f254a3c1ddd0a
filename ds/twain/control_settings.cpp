#include "twain/control_settings.h"

#include "caps/control_files.h"
#include "caps/profile_io.h"

namespace lx9 {

int ReadSourceControlInt(const char* section, const char* key, int fallback) {
    return ReadProfileInt(SourceControlPath(), section, key, fallback);
}

void WriteSourceControlText(const char* section, const char* key, const char* text) {
    WriteSourceControlEntry(section, key, text);
}

}  // namespace lx9
