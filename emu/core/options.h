#pragma once
// The command line of lx9emu.
#include <string>
#include <vector>

#include "device.h"
#include "faults.h"

namespace lx9emu {

struct Options {
    std::string link = "/tmp/lx9-lpt1";
    std::string control;  // Unix socket of the control channel; none by default
    std::string logPath;
    uint32_t seed = 1;
    Standby standby = Standby::Off;
    bool cartridge = true;
    int frames = 25;
    FilmKind film = FilmKind::Negative;
    bool unusable = false;
    DeviceConfig device;
    std::vector<FaultRule> faults;
    bool help = false;
};

// At most this many --picture options: one per frame of the largest cartridge.
constexpr size_t kMaxPictures = 40;

// False with the reason when the command line is not understood or a value is out of its range.
bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* why);
std::string usage();

}  // namespace lx9emu
