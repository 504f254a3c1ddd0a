#include "twain/control_settings.h"

#include "caps/control_files.h"
#include "lx9twain.h"

namespace lx9 {

int ReadSourceControlInt(const char* section, const char* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, SourceControlPath().c_str()));
}

void WriteSourceControlText(const char* section, const char* key, const char* text) {
    WritePrivateProfileStringA(section, key, text, SourceControlPath().c_str());
}

}  // namespace lx9
