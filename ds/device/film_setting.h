// The film setting file "<Windows>\twain_32\NorvikLX9\LX9Cfg.ini": section "LX-9", key "NegaPosi", the film
// type as a decimal number.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9 {

// The file's full path into path (size bytes, NUL included); false when it does not fit.
bool FilmSettingPath(char* path, size_t size);

// Reads the film type into filmType. A missing key (or one that cannot be read) is written as "0" and
// negative film assumed. A value that is neither 0 nor 1 is no film type the source knows: it is taken as
// negative film and the key rewritten as "0", so the file, the Property dialog and the scans agree.
void ReadFilmSetting();

// Writes filmType as the key's value ("%d").
void WriteFilmSetting();

}  // namespace lx9
