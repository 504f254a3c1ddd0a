#include "backend.h"

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "debug_log.h"
#include "scanner.h"

namespace lx9::sane {
namespace {

constexpr const char* kBackendName = "lx9";

struct DeviceList {
    std::vector<std::string> names;
    std::vector<SANE_Device> devices;
    std::vector<const SANE_Device*> list{nullptr};
};

Config config;
bool initialised = false;
DeviceList deviceList;
// The scanner core keeps its state per process: one handle at a time.
std::atomic<Scanner*> openScanner{nullptr};

bool PortPresent(const std::string& port) {
    struct stat info {};
    return ::stat(port.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// "port" or "lx9:port" (a front end that links the backend directly sees the dll's names too).
std::string PortOf(const std::string& name) {
    const std::string prefix = std::string(kBackendName) + ":";
    return name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
}

}  // namespace

SANE_Status Init() {
    config = LoadConfig();
    initialised = true;
    for (const std::string& port : config.ports) Log(kLogInfo, "port %s", port.c_str());
    return SANE_STATUS_GOOD;
}

void Exit() {
    CloseDevice(openScanner.load());
    deviceList = DeviceList{};
    initialised = false;
}

SANE_Status Devices(const SANE_Device*** list) {
    if (list == nullptr) return SANE_STATUS_INVAL;
    if (!initialised) Init();
    DeviceList fresh;
    for (const std::string& port : config.ports) {
        if (PortPresent(port)) fresh.names.push_back(port);
    }
    for (const std::string& name : fresh.names) {
        fresh.devices.push_back(SANE_Device{name.c_str(), "Norvik", "LX-9", "film scanner"});
    }
    fresh.list.clear();
    for (const SANE_Device& device : fresh.devices) fresh.list.push_back(&device);
    fresh.list.push_back(nullptr);
    deviceList = std::move(fresh);
    *list = deviceList.list.data();
    return SANE_STATUS_GOOD;
}

SANE_Status OpenDevice(SANE_String_Const name, SANE_Handle* handle) {
    if (name == nullptr || handle == nullptr) return SANE_STATUS_INVAL;
    *handle = nullptr;
    if (!initialised) Init();
    std::string port = PortOf(name);
    if (port.empty()) {
        port = config.ports.front();
        for (const std::string& candidate : config.ports) {
            if (PortPresent(candidate)) {
                port = candidate;
                break;
            }
        }
    }
    bool known = false;
    for (const std::string& candidate : config.ports) known = known || candidate == port;
    if (!known) {
        Log(kLogError, "open: %s is not a port of lx9.conf", port.c_str());
        return SANE_STATUS_INVAL;
    }
    if (openScanner.load() != nullptr) return SANE_STATUS_DEVICE_BUSY;
    auto scanner = std::make_unique<Scanner>(port, config.cartridgeWaitMs);
    if (SANE_Status status = scanner->Open(); status != SANE_STATUS_GOOD) return status;
    openScanner.store(scanner.get());
    *handle = scanner.release();
    return SANE_STATUS_GOOD;
}

void CloseDevice(SANE_Handle handle) {
    Scanner* scanner = FromHandle(handle);
    if (scanner == nullptr) return;
    openScanner.store(nullptr);
    delete scanner;
}

Scanner* FromHandle(SANE_Handle handle) {
    Scanner* scanner = openScanner.load();
    return handle != nullptr && handle == scanner ? scanner : nullptr;
}

}  // namespace lx9::sane
