// A line to lx9emu's control channel (the socket tools/with-emulator.sh exports as LX9_EMU_CONTROL).
#pragma once

#include <string>

namespace lx9sanetest {

// True when the emulator answered "ok".
bool EmulatorCommand(const std::string& line);

}  // namespace lx9sanetest
