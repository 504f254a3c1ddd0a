// Finding the installed sources: every "*.ds" one folder below the manager's source folder
// ("<Windows directory>\twain_32"), each asked for its identity and released again.
#pragma once

#include "manager.h"

#include <string>
#include <vector>

namespace lx9::dsm {

// The folder holding one sub-folder per source. LX9_TWAIN_DIR names another folder, so tests can
// work in a tree of their own.
std::string SourceFolder();

// The sources found now, sorted by path, each with its manager-assigned Id. A source that is open keeps
// the identity it was opened with; a file that does not load or has no DS_Entry is skipped.
std::vector<SourceRecord> ScanSources(TW_IDENTITY* asker);

// The manager's default: the "Default Source" of section "TWAIN" in win.ini when it is listed, else the
// first source. Null when the list is empty.
const SourceRecord* DefaultSource(const std::vector<SourceRecord>& sources);

}  // namespace lx9::dsm
