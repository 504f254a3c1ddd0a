// File helpers of the host tests: the build's program folder, temporary trees.
#pragma once

#include <string>

namespace lx9::hosttest {

std::string ProgramFolder();
void RemoveTree(const std::string& path);
// Copies `from` into `folder` (created when missing) under `name`.
bool CopyInto(const std::string& from, const std::string& folder, const std::string& name);

}  // namespace lx9::hosttest
