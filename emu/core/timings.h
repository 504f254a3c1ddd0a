#pragma once
// How long the device takes for its slow work, and how fast its bytes travel.
#include <cstdint>
#include <string>

namespace lx9emu {

struct Timings {
    // Busy time (ready bit 0 clear) after a command, in milliseconds.
    uint32_t scanIndex = 1500;     // SCAN of an index window (a group of five or one frame)
    uint32_t scanStandard = 3000;  // SCAN of a standard window
    uint32_t scanExtended = 6000;  // SCAN of an extended window
    uint32_t standby = 2000;       // standby switched on
    uint32_t eject = 1500;         // cartridge ejected
    uint32_t restart = 2000;       // scanner restarted
    // Preparation flags: time from wake-up (calibration) or insertion (status block, film information).
    uint32_t calibration = 3000;
    uint32_t statusBlock = 1000;
    uint32_t filmInformation = 2500;
    // Reply bytes per second on the wire; 0 = as fast as the pty takes them.
    uint32_t byteRate = 1000000;

    // Everything instant: the --fast mode for tests.
    static Timings fast() {
        Timings t;
        t.scanIndex = t.scanStandard = t.scanExtended = 0;
        t.standby = t.eject = t.restart = 0;
        t.calibration = t.statusBlock = t.filmInformation = 0;
        t.byteRate = 0;
        return t;
    }
    // The longest time any of them may be set to, and the slowest wire: a standard frame (917504 bytes)
    // then still leaves within that time.
    static constexpr uint32_t kMaxMilliseconds = 600000;
    static constexpr uint32_t kMinByteRate = 2000;

    // Sets one value by its option name ("scan-index", "rate"...); false with the reason for an unknown name
    // or a value out of range (times up to kMaxMilliseconds; the rate 0, unlimited, or at least
    // kMinByteRate).
    bool set(const std::string& name, uint32_t value, std::string* why = nullptr);
    std::string describe() const;  // "name=value" pairs, one line
};

}  // namespace lx9emu
