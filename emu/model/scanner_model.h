#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "film.h"
#include "frame_summary.h"
#include "sensor.h"

namespace lx9emu {
enum class FilmKind : uint8_t { Negative = 0, Positive = 1 };

struct CartridgeSpec {
    int frames = 25;  // 15, 25 or 40
    FilmKind film = FilmKind::Negative;
    std::vector<std::string> pictures;  // PNG files used for frames 1..n in turn; empty: procedural scenes
};

// What SET WINDOW asked for, unpacked from its payload (all fields as sent).
struct ScanRequest {
    uint8_t windowMode = 0;           // 0 index, 1 standard, 2 extended
    uint8_t film = 0;                 // 0 negative, 1 positive
    uint8_t pass = 2;                 // 1 exposure measurement, 2 image
    uint8_t frame = 1;                // frame number; for an index group the top frame
    std::vector<uint16_t> exposures;  // exposure values (1, or 5 for an index group)
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// What the device holds after SCAN.
struct ScanData {
    std::vector<std::vector<uint8_t>>
        images;                  // index mode: read index -> 21504 bytes (112 lines x 192 bytes)
    std::vector<uint8_t> lines;  // standard/extended: the raw lines, back to back
};

class ScannerModel {
  public:
    explicit ScannerModel(uint32_t seed = 1);        // seed: the sensor's element deviations
    void setCartridge(const CartridgeSpec& loaded);  // throws std::runtime_error for an unreadable picture
    const CartridgeSpec& cartridge() const;
    uint16_t calibrationWord() const;               // bytes 2-3 of the calibration reply
    std::vector<uint8_t> calibrationData() const;   // 65548 bytes (READ type 0x80)
    std::vector<uint8_t> shadingReference() const;  // 1024 bytes (READ type 0x90)
    std::vector<uint8_t> statusBlock() const;       // 31 bytes (READ type 0x81)
    std::vector<uint8_t> filmInformation() const;   // 485 bytes (READ type 0x82)
    bool validate(const ScanRequest& request,
                  std::string* why) const;            // window inside the frame, frame in range...
    ScanData scan(const ScanRequest& request) const;  // request must have passed validate

    // Seed 0 is an ideal sensor without element deviations. A request that fails validate makes scan throw
    // std::invalid_argument with the same reason. Frames of a cartridge with pictures show pictures[(f-1) %
    // n].

  private:
    Sensor sensor_;
    CartridgeSpec cartridge_;
    std::vector<SharedFilm> films_;  // by frame - 1
    // The drawn scenes by frame - 1, developed once: they are the same on every cartridge, and a cartridge
    // change (a control command, a test's next case) then costs no new film.
    std::vector<SharedFilm> scenes_;
    std::vector<FrameSummary> summaries_;  // by frame - 1
};
}  // namespace lx9emu
