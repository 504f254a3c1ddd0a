// lx9.conf: the ports the backend offers as devices and how long opening one waits for a cartridge.
#pragma once

#include <string>
#include <vector>

namespace lx9::sane {

constexpr const char* kDefaultPort = "/tmp/lx9-lpt1";  // LX9Comm's own default, lx9emu's default link
constexpr int kDefaultCartridgeWaitMs = 5000;
constexpr int kMaxCartridgeWaitMs = 600000;
constexpr size_t kMaxPorts = 8;

struct Config {
    std::vector<std::string> ports;  // absolute paths, each once, in the file's order
    int cartridgeWaitMs = kDefaultCartridgeWaitMs;
};

// Reads the text of a configuration file: '#' starts a comment; "option cartridge-wait MS" sets the wait;
// any other line is a port path. Lines that break the rules are left out, each with a log line. A file
// without a port names the default port.
Config ParseConfig(const std::string& text);

// The directories searched for lx9.conf, SANE's way: SANE_CONFIG_DIR's colon-separated list (a trailing
// colon adds the default), else /etc/sane.d.
std::vector<std::string> ConfigDirectories(const char* saneConfigDir);

// The first lx9.conf found in those directories, or the defaults (LX9_PORT when set, else kDefaultPort).
Config LoadConfig();

}  // namespace lx9::sane
