#pragma once
// Small text helpers shared by the option parser and the control channel.
#include <cstdint>
#include <string>
#include <vector>

namespace lx9emu {

std::vector<std::string> splitWords(const std::string& line);
// A whole unsigned number (decimal or 0x hex) no larger than `limit`.
bool parseNumber(const std::string& text, uint64_t limit, uint64_t* value);

}  // namespace lx9emu
