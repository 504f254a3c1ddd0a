#include "config.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "debug_log.h"

namespace lx9::sane {
namespace {

constexpr const char* kDefaultConfigDir = "/etc/sane.d";
constexpr size_t kMaxPathLength = 4095;
constexpr std::streamsize kMaxFileBytes = 64 * 1024;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseWait(const std::string& text, int* ms) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 7) {
        return false;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > kMaxCartridgeWaitMs) return false;
    *ms = static_cast<int>(value);
    return true;
}

void ParseOption(const std::string& line, int number, Config* config) {
    std::istringstream words(line);
    std::string keyword, name, value, extra;
    words >> keyword >> name >> value;
    if (name == "cartridge-wait" && !(words >> extra) && ParseWait(value, &config->cartridgeWaitMs)) return;
    Log(kLogError, "lx9.conf line %d: not an option this backend knows (option cartridge-wait 0..%d)", number,
        kMaxCartridgeWaitMs);
}

void AddPort(const std::string& path, int number, Config* config) {
    const bool control = std::any_of(
        path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
    if (path.front() != '/' || path.size() > kMaxPathLength || control) {
        Log(kLogError, "lx9.conf line %d: a port is an absolute path", number);
        return;
    }
    if (std::find(config->ports.begin(), config->ports.end(), path) != config->ports.end()) return;
    if (config->ports.size() == kMaxPorts) {
        Log(kLogError, "lx9.conf line %d: more than %zu ports, left out", number, kMaxPorts);
        return;
    }
    config->ports.push_back(path);
}

std::string DefaultPort() {
    const char* port = std::getenv("LX9_PORT");
    return port != nullptr && port[0] == '/' ? port : kDefaultPort;
}

}  // namespace

Config ParseConfig(const std::string& text) {
    Config config;
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        const std::string line = Trim(raw.substr(0, raw.find('#')));
        if (line.empty()) continue;
        if (line.rfind("option", 0) == 0 && (line.size() == 6 || line[6] == ' ' || line[6] == '\t')) {
            ParseOption(line, number, &config);
        } else {
            AddPort(line, number, &config);
        }
    }
    if (config.ports.empty()) config.ports.push_back(DefaultPort());
    return config;
}

std::vector<std::string> ConfigDirectories(const char* saneConfigDir) {
    std::vector<std::string> dirs;
    if (saneConfigDir == nullptr || *saneConfigDir == '\0') return {kDefaultConfigDir};
    std::string list = saneConfigDir;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const std::string::size_type colon = std::min(list.find(':', start), list.size());
        if (colon > start) dirs.push_back(list.substr(start, colon - start));
        start = colon + 1;
    }
    if (list.back() == ':') dirs.push_back(kDefaultConfigDir);
    return dirs;
}

Config LoadConfig() {
    for (const std::string& dir : ConfigDirectories(std::getenv("SANE_CONFIG_DIR"))) {
        const std::string path = dir + "/lx9.conf";
        std::ifstream file(path, std::ios::binary);
        if (!file) continue;
        std::string text(static_cast<size_t>(kMaxFileBytes), '\0');
        file.read(text.data(), kMaxFileBytes);
        text.resize(static_cast<size_t>(file.gcount()));
        Log(kLogInfo, "configuration from %s", path.c_str());
        return ParseConfig(text);
    }
    Log(kLogInfo, "no lx9.conf found: the default port");
    return ParseConfig("");
}

}  // namespace lx9::sane
