// The entries of the source-control file that the transfers read and write.
#pragma once

namespace lx9 {

int ReadSourceControlInt(const char* section, const char* key, int fallback);
void WriteSourceControlText(const char* section, const char* key, const char* text);

}  // namespace lx9
