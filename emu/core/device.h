#pragma once
// The LX-9 as the host sees it: switches, cartridge, busy time, preparation flags, sense data, and the
// answer to every command. No I/O: time comes in with every call.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/scanner_model.h"
#include "timings.h"

namespace lx9emu {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

struct DeviceConfig {
    std::string identification = "MFG:NORVIK;MDL:LX-9";
    // The scanner's frame buffer: one standard frame (0xE0000 bytes), which is what the preview's
    // progress is measured against.
    uint32_t bufferSize = 0x000E0000;
    bool exactRead = false;
    std::vector<std::string> pictures;  // PNG files for the frames of every cartridge; empty: scenes
    Timings timings;
};

// What the device answers to one command: its status byte and reply data.
struct Reply {
    uint8_t status = 0;
    std::vector<uint8_t> data;
    std::string why;  // for the log: the reason of a refusal
};

enum class Standby { Off, On, Stuck };  // Stuck: off, and StandbyOn does not switch it on

class Device {
  public:
    Device(ScannerModel& model, DeviceConfig config, TimePoint now);

    Reply handle(uint16_t code, std::span<const uint8_t> payload, TimePoint now);
    // A refusal with a sense byte left waiting for REQUEST SENSE (status 0x70 or 0x71).
    Reply refuse(uint8_t status, uint8_t senseByte, std::string why);

    void setStandby(Standby standby, TimePoint now);
    void restart(bool standbyOn, TimePoint now);
    bool insertCartridge(int frames, FilmKind film, TimePoint now, std::string* why);
    void removeCartridge();
    void makeCartridgeUnusable();
    void setBusy(uint32_t milliseconds, TimePoint now);
    void setSense(uint8_t status, uint8_t senseByte);

    bool ready(TimePoint now) const { return now >= busyUntil_; }
    uint16_t scannerWord() const { return standby_ == Standby::On ? powerId_ : 0; }
    uint16_t cartridgeWord() const;
    uint8_t preparationFlags(TimePoint now) const;
    bool cartridgeLoaded() const { return cartridgeLoaded_; }
    DeviceConfig& config() { return config_; }
    std::string describe(TimePoint now) const;  // "key=value" pairs for the control channel

  private:
    Reply testUnitReady(std::span<const uint8_t> payload, TimePoint now);
    Reply requestSense(std::span<const uint8_t> payload);
    Reply inquiry(std::span<const uint8_t> payload);
    Reply scan(std::span<const uint8_t> payload, TimePoint now);
    Reply setWindow(std::span<const uint8_t> payload);
    Reply read(std::span<const uint8_t> payload, TimePoint now);
    Reply readImage(uint16_t qualifier, uint32_t count, uint32_t start);
    Reply vendorC1(std::span<const uint8_t> payload, TimePoint now);
    std::optional<Reply> needScanner();
    std::optional<Reply> needCartridge();
    void dropScan();
    void busyFor(uint32_t milliseconds, TimePoint now);
    bool prepared(uint32_t milliseconds, TimePoint since, TimePoint now) const;

    ScannerModel& model_;
    DeviceConfig config_;
    Standby standby_ = Standby::Off;
    uint16_t powerId_ = 0x4C01;
    TimePoint wokeAt_;
    TimePoint busyUntil_;
    bool cartridgeLoaded_ = false;
    bool cartridgeUsable_ = true;
    int cartridgeFrames_ = 0;
    FilmKind cartridgeFilm_ = FilmKind::Negative;
    uint8_t cartridgeSerial_ = 0;
    TimePoint insertedAt_;
    uint8_t checkSense_ = 0;
    uint8_t hardwareSense_ = 0;
    std::optional<ScanRequest> window_;
    std::optional<ScanData> scanData_;
};

// Unpacks a SET WINDOW payload; false with the reason when it is not one the device takes.
bool unpackSetWindow(std::span<const uint8_t> payload, ScanRequest* request, std::string* why);

}  // namespace lx9emu
