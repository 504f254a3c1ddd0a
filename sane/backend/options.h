// The options a front end sees and sets: their descriptors (with constraints that say exactly what may be
// set) and their values, every value checked against its descriptor before it is taken. No device work
// here: the handle refreshes the frame count and carries out the eject button.
#pragma once

#include <sane/sane.h>

#include <array>

#include "crop_geometry.h"
#include "session.h"

namespace lx9::sane {

enum Option : SANE_Int {
    kOptNumOptions,
    kOptScanGroup,
    kOptMode,
    kOptIndexSheet,
    kOptFrame,
    kOptFilmType,
    kOptTurn,
    kOptPreview,
    kOptResolution,
    kOptGeometryGroup,
    kOptTlX,
    kOptTlY,
    kOptBrX,
    kOptBrY,
    kOptDeviceGroup,
    kOptEject,
    kOptionCount
};

// What the options ask for, in the backend's terms.
struct Settings {
    Mode mode = Mode::kStandard;
    bool indexSheet = false;
    int frame = 1;
    int film = 0;  // 0 negative, 1 positive
    bool turn = false;
    bool preview = false;
    PictureRect crop{};
};

class Options {
  public:
    Options();
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;

    const SANE_Option_Descriptor* Descriptor(SANE_Int option) const;

    // SANE_ACTION_GET_VALUE and SANE_ACTION_SET_VALUE of every option but the button, whose press the
    // handle carries out. info may be null.
    SANE_Status Get(SANE_Int option, void* value) const;
    SANE_Status Set(SANE_Int option, const void* value, SANE_Int* info);

    // The loaded cartridge's frame count (0: none); the frame number is kept within it. True when the frame
    // option's range or value changed.
    bool SetFrameCount(int frames);

    const Settings& Current() const { return settings_; }

    // The mode's resolution in dots per inch: what the picture has per inch of film at 35 mm per frame.
    static int Resolution(Mode mode);

  private:
    SANE_Status SetWord(SANE_Int option, SANE_Word word, SANE_Int* info);
    SANE_Status SetString(SANE_Int option, const char* text, SANE_Int* info);
    void UpdateActivity();
    SANE_Word Word(SANE_Int option) const;

    std::array<SANE_Option_Descriptor, kOptionCount> descriptors_{};
    SANE_Range frameRange_{1, 1, 1};
    Settings settings_;
    SANE_Fixed corners_[4] = {};  // tl-x, tl-y, br-x, br-y as set
};

}  // namespace lx9::sane
