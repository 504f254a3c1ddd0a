#include "film_info.h"

#include <array>
#include <cmath>

#include "exposure.h"

namespace lx9emu {
namespace {

constexpr int kBrightnessStep = 168;  // the data source divides the word by this
constexpr double kBrightnessScale = 150.0;

uint8_t highlightOf(const std::array<uint32_t, 256>& histogram, uint32_t samples) {
    const uint32_t threshold = samples / 100;
    uint32_t count = 0;
    for (int v = 255; v >= 0; --v) {
        count += histogram[v];
        if (count > threshold) return static_cast<uint8_t>(v);
    }
    return 0;
}

}  // namespace

FrameSummary summarizeFrame(const FrameFilm& film, FilmKind kind, double density) {
    // Scene-value histograms per colour over the inner standard frame, then levels at the film word.
    std::array<std::array<uint32_t, 256>, 3> values{};
    const int firstLine = kStdLines / 14, lastLine = kStdLines - kStdLines / 14;
    const int firstGroup = kStdGroups / 14, lastGroup = kStdGroups - kStdGroups / 14;
    for (int k = firstLine; k <= lastLine; ++k) {
        const uint8_t* line = film.line(2 * k);
        for (int e = 8 * firstGroup; e < 8 * (lastGroup + 1); e += 4)
            for (int c = 0; c < 3; ++c) ++values[c][line[e + c]];
    }
    const bool positive = kind == FilmKind::Positive;
    const LevelTable levels = makeLevelTable(kind, density, positive, kFilmWord);
    std::array<std::array<uint32_t, 256>, 3> raw{};
    double greenSum = 0;
    uint32_t samples = 0;
    for (int s = 0; s < 256; ++s) {
        for (int c = 0; c < 3; ++c) raw[c][clipLevel(levels.level[c][s])] += values[c][s];
        greenSum += values[kGreen][s] * std::pow(10.0, -0.8 * s / 255.0);
        samples += values[kGreen][s];
    }
    FrameSummary summary;
    summary.highlightRed = highlightOf(raw[kRed], samples);
    summary.highlightGreen = highlightOf(raw[kGreen], samples);
    summary.highlightBlue = highlightOf(raw[kBlue], samples);
    const long level = std::lround(kBrightnessScale * greenSum / samples);
    summary.brightnessWord = static_cast<uint16_t>(level * kBrightnessStep + kBrightnessStep / 2);
    return summary;
}

std::vector<uint8_t> buildFilmInformation(const std::vector<FrameSummary>& frames) {
    std::vector<uint8_t> info(kFilmInformationBytes, 0);
    info[2] = kFilmWord >> 8;
    info[3] = kFilmWord & 0xFF;
    info[4] = static_cast<uint8_t>(frames.size());
    for (size_t f = 0; f < frames.size() && f < 40; ++f) {
        uint8_t* r = &info[5 + 12 * f];
        r[2] = frames[f].highlightRed;
        r[6] = frames[f].highlightGreen;
        r[10] = frames[f].highlightBlue;
        r[7] = static_cast<uint8_t>(frames[f].brightnessWord >> 8);
        r[8] = static_cast<uint8_t>(frames[f].brightnessWord & 0xFF);
    }
    return info;
}

}  // namespace lx9emu
