// The two capability control files: where they are and the check that they exist.
#pragma once

#include <string>

namespace lx9 {

// Finds the control files (the redirection file "\source.$$$" first) and records their paths for the module's
// lifetime. Shows "Unable to find LX-9 Source Control" or "Unable to find LX-9 Initial Control" and returns
// false when a file is missing.
bool CheckControlFiles();

// The source-control file the operations read and write: the recorded path, or, before any check has recorded
// one, the file the next check would choose (nothing is recorded by asking).
std::string SourceControlPath();

// Writes one entry of the source-control file (SourceControlPath()). False, with nothing written, unless the
// path names an existing disk file (IsProfileFile) that is none of the source's other files: the
// initial-control file, which the source only reads, the redirection file and the film setting file
// "LX9Cfg.ini", however the path spells them. A damaged redirection file may name any of them.
bool WriteSourceControlEntry(const char* section, const char* key, const char* text);

// The initial-control file as the operations build it each time: Windows directory +
// "\twain_32\NorvikLX9\NorvikLX9.ini".
std::string InitialControlFilePath();

// The paths as recorded by CheckControlFiles (empty until recorded).
std::string RecordedSourceControlPath();
std::string RecordedInitialControlPath();

// Back to the module's start-up state: nothing recorded (tests start each case from here).
void ForgetControlFilePaths();

}  // namespace lx9
