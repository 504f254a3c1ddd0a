#include "options.h"

#include <saneopts.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

namespace lx9::sane {
namespace {

constexpr SANE_String_Const kModeNames[] = {"Index", "Standard", "Extended", nullptr};
constexpr SANE_String_Const kFilmNames[] = {"Negative", "Positive", nullptr};
constexpr SANE_Int kStringSize = 16;  // the longest name and its end, with room

constexpr SANE_Range kTlXRange{0, GridToFixed(kGridWidth - kGridStep), kFixedStep};
constexpr SANE_Range kTlYRange{0, GridToFixed(kGridHeight - kGridStep), kFixedStep};
constexpr SANE_Range kBrXRange{GridToFixed(kGridStep), GridToFixed(kGridWidth), kFixedStep};
constexpr SANE_Range kBrYRange{GridToFixed(kGridStep), GridToFixed(kGridHeight), kFixedStep};

// The largest rectangle the scanner's buffer holds, in the middle of the frame.
constexpr SANE_Fixed kDefaultCorners[4] = {GridToFixed(448), GridToFixed(256), GridToFixed(1344),
                                           GridToFixed(768)};

constexpr SANE_Int kSettable = SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT;

SANE_Option_Descriptor Group(const char* title) {
    SANE_Option_Descriptor d{};
    d.name = "";
    d.title = title;
    d.desc = "";
    d.type = SANE_TYPE_GROUP;
    d.cap = 0;
    d.constraint_type = SANE_CONSTRAINT_NONE;
    return d;
}

SANE_Option_Descriptor Plain(const char* name, const char* title, const char* desc, SANE_Value_Type type,
                             SANE_Unit unit) {
    SANE_Option_Descriptor d{};
    d.name = name;
    d.title = title;
    d.desc = desc;
    d.type = type;
    d.unit = unit;
    d.size = sizeof(SANE_Word);
    d.cap = kSettable;
    d.constraint_type = SANE_CONSTRAINT_NONE;
    return d;
}

SANE_Option_Descriptor Ranged(const char* name, const char* title, const char* desc, SANE_Value_Type type,
                              SANE_Unit unit, const SANE_Range* range) {
    SANE_Option_Descriptor d = Plain(name, title, desc, type, unit);
    d.constraint_type = SANE_CONSTRAINT_RANGE;
    d.constraint.range = range;
    return d;
}

SANE_Option_Descriptor Listed(const char* name, const char* title, const char* desc,
                              const SANE_String_Const* names) {
    SANE_Option_Descriptor d = Plain(name, title, desc, SANE_TYPE_STRING, SANE_UNIT_NONE);
    d.size = kStringSize;
    d.constraint_type = SANE_CONSTRAINT_STRING_LIST;
    d.constraint.string_list = names;
    return d;
}

// A value brought into its range and onto its step; INEXACT when that changed it.
SANE_Word Constrain(const SANE_Range& range, SANE_Word word, SANE_Int* info) {
    SANE_Word fitted = std::clamp(word, range.min, range.max);
    if (range.quant > 0) {
        const int64_t offset = static_cast<int64_t>(fitted) - range.min;
        fitted = static_cast<SANE_Word>(range.min + (offset + range.quant / 2) / range.quant * range.quant);
        if (fitted > range.max) fitted -= range.quant;
    }
    if (fitted != word && info != nullptr) *info |= SANE_INFO_INEXACT;
    return fitted;
}

}  // namespace

Options::Options() {
    auto& d = descriptors_;
    d[kOptNumOptions] = Plain(SANE_NAME_NUM_OPTIONS, SANE_TITLE_NUM_OPTIONS, SANE_DESC_NUM_OPTIONS,
                              SANE_TYPE_INT, SANE_UNIT_NONE);
    d[kOptNumOptions].cap = SANE_CAP_SOFT_DETECT;
    d[kOptScanGroup] = Group("Scan");
    d[kOptMode] = Listed(SANE_NAME_SCAN_MODE, SANE_TITLE_SCAN_MODE,
                         "Index: a frame's thumbnail (112 x 64); Standard: the frame at 896 x 512; Extended: "
                         "the crop area at full resolution (1792 x 1024 for the whole frame)",
                         kModeNames);
    d[kOptIndexSheet] =
        Plain("index-sheet", "Index sheet",
              "In index mode, the thumbnails of the whole cartridge in one picture (644 wide, "
              "frame 1 top left) instead of one frame's",
              SANE_TYPE_BOOL, SANE_UNIT_NONE);
    d[kOptFrame] = Ranged("frame", "Frame number",
                          "The frame to scan, 1 to the cartridge's frame count; a batch goes on from it to "
                          "the last frame",
                          SANE_TYPE_INT, SANE_UNIT_NONE, &frameRange_);
    d[kOptFilmType] = Listed("film-type", "Film type", "Negative or positive (slide) film", kFilmNames);
    d[kOptTurn] =
        Plain("turn", "Turn 180 degrees", "Turn the picture upside down", SANE_TYPE_BOOL, SANE_UNIT_NONE);
    d[kOptPreview] =
        Plain(SANE_NAME_PREVIEW, SANE_TITLE_PREVIEW,
              "Scan the standard picture of the frame, whatever the mode", SANE_TYPE_BOOL, SANE_UNIT_NONE);
    d[kOptResolution] = Plain(SANE_NAME_SCAN_RESOLUTION, SANE_TITLE_SCAN_RESOLUTION,
                              "The mode's resolution (the mode chooses it)", SANE_TYPE_INT, SANE_UNIT_DPI);
    d[kOptResolution].cap = SANE_CAP_SOFT_DETECT;
    d[kOptGeometryGroup] = Group("Crop area (extended mode)");
    d[kOptTlX] = Ranged(SANE_NAME_SCAN_TL_X, SANE_TITLE_SCAN_TL_X, SANE_DESC_SCAN_TL_X, SANE_TYPE_FIXED,
                        SANE_UNIT_MM, &kTlXRange);
    d[kOptTlY] = Ranged(SANE_NAME_SCAN_TL_Y, SANE_TITLE_SCAN_TL_Y, SANE_DESC_SCAN_TL_Y, SANE_TYPE_FIXED,
                        SANE_UNIT_MM, &kTlYRange);
    d[kOptBrX] = Ranged(SANE_NAME_SCAN_BR_X, SANE_TITLE_SCAN_BR_X, SANE_DESC_SCAN_BR_X, SANE_TYPE_FIXED,
                        SANE_UNIT_MM, &kBrXRange);
    d[kOptBrY] = Ranged(SANE_NAME_SCAN_BR_Y, SANE_TITLE_SCAN_BR_Y, SANE_DESC_SCAN_BR_Y, SANE_TYPE_FIXED,
                        SANE_UNIT_MM, &kBrYRange);
    d[kOptDeviceGroup] = Group("Device");
    d[kOptEject] = Plain("eject", "Eject", "Eject the cartridge", SANE_TYPE_BUTTON, SANE_UNIT_NONE);
    d[kOptEject].size = 0;
    d[kOptEject].cap = kSettable;
    std::copy(std::begin(kDefaultCorners), std::end(kDefaultCorners), corners_);
    settings_.crop = {FixedToGrid(corners_[0]), FixedToGrid(corners_[1]), FixedToGrid(corners_[2]),
                      FixedToGrid(corners_[3])};
    UpdateActivity();
}

const SANE_Option_Descriptor* Options::Descriptor(SANE_Int option) const {
    if (option < 0 || option >= kOptionCount) return nullptr;
    return &descriptors_[static_cast<size_t>(option)];
}

int Options::Resolution(Mode mode) {
    // The picture's width per inch of a 35 mm frame.
    constexpr int kMmPerInchTenths = 254;
    const int width = mode == Mode::kIndex ? 112 : mode == Mode::kStandard ? 896 : kGridWidth;
    return width * kMmPerInchTenths / 350;
}

SANE_Word Options::Word(SANE_Int option) const {
    const Settings& s = settings_;
    switch (option) {
        case kOptNumOptions:
            return kOptionCount;
        case kOptIndexSheet:
            return s.indexSheet ? SANE_TRUE : SANE_FALSE;
        case kOptFrame:
            return s.frame;
        case kOptTurn:
            return s.turn ? SANE_TRUE : SANE_FALSE;
        case kOptPreview:
            return s.preview ? SANE_TRUE : SANE_FALSE;
        case kOptResolution:
            return Resolution(s.preview ? Mode::kStandard : s.mode);
        case kOptTlX:
            return corners_[0];
        case kOptTlY:
            return corners_[1];
        case kOptBrX:
            return corners_[2];
        case kOptBrY:
            return corners_[3];
        default:
            return 0;
    }
}

SANE_Status Options::Get(SANE_Int option, void* value) const {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (d == nullptr || value == nullptr) return SANE_STATUS_INVAL;
    if (d->type == SANE_TYPE_GROUP || d->type == SANE_TYPE_BUTTON) return SANE_STATUS_INVAL;
    if (d->type == SANE_TYPE_STRING) {
        const char* text =
            option == kOptMode ? kModeNames[static_cast<int>(settings_.mode)] : kFilmNames[settings_.film];
        std::strncpy(static_cast<char*>(value), text, static_cast<size_t>(d->size));
        return SANE_STATUS_GOOD;
    }
    *static_cast<SANE_Word*>(value) = Word(option);
    return SANE_STATUS_GOOD;
}

SANE_Status Options::Set(SANE_Int option, const void* value, SANE_Int* info) {
    const SANE_Option_Descriptor* d = Descriptor(option);
    if (d == nullptr || value == nullptr || !SANE_OPTION_IS_SETTABLE(d->cap) || d->type == SANE_TYPE_BUTTON) {
        return SANE_STATUS_INVAL;
    }
    if (!SANE_OPTION_IS_ACTIVE(d->cap)) return SANE_STATUS_INVAL;
    if (d->type == SANE_TYPE_STRING) return SetString(option, static_cast<const char*>(value), info);
    return SetWord(option, *static_cast<const SANE_Word*>(value), info);
}

SANE_Status Options::SetString(SANE_Int option, const char* text, SANE_Int* info) {
    const SANE_Option_Descriptor& d = descriptors_[static_cast<size_t>(option)];
    if (strnlen(text, static_cast<size_t>(d.size)) == static_cast<size_t>(d.size)) return SANE_STATUS_INVAL;
    const SANE_String_Const* names = d.constraint.string_list;
    int index = 0;
    while (names[index] != nullptr && strcasecmp(names[index], text) != 0) ++index;
    if (names[index] == nullptr) return SANE_STATUS_INVAL;
    if (std::strcmp(names[index], text) != 0 && info != nullptr) *info |= SANE_INFO_INEXACT;
    if (option == kOptMode) {
        settings_.mode = static_cast<Mode>(index);
        UpdateActivity();
        if (info != nullptr) *info |= SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS;
    } else {
        settings_.film = index;
    }
    return SANE_STATUS_GOOD;
}

SANE_Status Options::SetWord(SANE_Int option, SANE_Word word, SANE_Int* info) {
    const SANE_Option_Descriptor& d = descriptors_[static_cast<size_t>(option)];
    if (d.type == SANE_TYPE_BOOL && word != SANE_TRUE && word != SANE_FALSE) return SANE_STATUS_INVAL;
    if (d.constraint_type == SANE_CONSTRAINT_RANGE) word = Constrain(*d.constraint.range, word, info);
    const bool flag = word == SANE_TRUE;
    switch (option) {
        case kOptIndexSheet:
            settings_.indexSheet = flag;
            UpdateActivity();
            if (info != nullptr) *info |= SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS;
            return SANE_STATUS_GOOD;
        case kOptFrame:
            settings_.frame = word;
            return SANE_STATUS_GOOD;
        case kOptTurn:
            settings_.turn = flag;
            return SANE_STATUS_GOOD;
        case kOptPreview:
            settings_.preview = flag;
            if (info != nullptr) *info |= SANE_INFO_RELOAD_OPTIONS | SANE_INFO_RELOAD_PARAMS;
            return SANE_STATUS_GOOD;
        case kOptTlX:
        case kOptTlY:
        case kOptBrX:
        case kOptBrY: {
            corners_[option - kOptTlX] = word;
            int* grid[4] = {&settings_.crop.x0, &settings_.crop.y0, &settings_.crop.x1, &settings_.crop.y1};
            *grid[option - kOptTlX] = FixedToGrid(word);
            if (info != nullptr) *info |= SANE_INFO_RELOAD_PARAMS;
            return SANE_STATUS_GOOD;
        }
        default:
            return SANE_STATUS_INVAL;
    }
}

bool Options::SetFrameCount(int frames) {
    const SANE_Word max = std::max(frames, 1);
    const bool changed = frameRange_.max != max || settings_.frame > max;
    frameRange_.max = max;
    settings_.frame = std::min(settings_.frame, max);
    return changed;
}

void Options::UpdateActivity() {
    const auto activate = [this](SANE_Int option, bool active) {
        SANE_Int& cap = descriptors_[static_cast<size_t>(option)].cap;
        cap = active ? cap & ~SANE_CAP_INACTIVE : cap | SANE_CAP_INACTIVE;
    };
    const bool index = settings_.mode == Mode::kIndex;
    activate(kOptIndexSheet, index);
    activate(kOptFrame, !(index && settings_.indexSheet));
    for (SANE_Int option : {kOptTlX, kOptTlY, kOptBrX, kOptBrY}) {
        activate(option, settings_.mode == Mode::kExtended);
    }
}

}  // namespace lx9::sane
