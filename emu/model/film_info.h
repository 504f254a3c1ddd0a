#pragma once
#include <cstdint>
#include <vector>
#include "film.h"
#include "frame_summary.h"
#include "scanner_model.h"

namespace lx9emu {

// What the device measures of each frame when a cartridge is loaded: the 99 % points (raw highlight levels)
// of the inner frame at the film word's exposure, measured like the data source measures a frame (a margin
// of one fourteenth on every side, the level whose count from the top exceeds 1 % of the samples), and a
// brightness word that grows as the frame gets darker: (word / 168) is 150 x the mean of 10^(-0.8 s) over the
// inner frame's green, s the scene value 0..1 (about 35 for a bright scene, 60 for a mid-grey, 110 for a
// dark one).
FrameSummary summarizeFrame(const FrameFilm& film, FilmKind kind, double density);

// 485 bytes: 00 00, film word, frame count, then 40 records of 12 bytes (highlights blue r10, green r6,
// red r2; brightness word r7 r8), unused records zero.
std::vector<uint8_t> buildFilmInformation(const std::vector<FrameSummary>& frames);

constexpr int kFilmInformationBytes = 5 + 40 * 12;

}  // namespace lx9emu
