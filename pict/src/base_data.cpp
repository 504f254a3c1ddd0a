// Measurements of a shading-corrected raw frame: the 1 % / 99 % levels per colour (BaseData) and the
// 8 x 8 grid of mean green levels with the centre-against-whole comparison drawn from it.
#include <cstdint>
#include <cstring>

#include "lx9pict.h"

namespace {

struct Readout {
    int lines;
    int units;      // units per line
    int unitBytes;  // 3: R, G, B; 4: a standard pair whose layout alternates line by line
};

bool readoutOf(uint16_t mode, Readout& r) {
    switch (mode) {
        case 0:
            r = {112, 64, 3};
            return true;
        case 3:
            r = {96, 56, 3};
            return true;
        case 1:
        case 2:
            r = {896, 256, 4};
            return true;
        default:
            return false;
    }
}

// Mode 1 starts with the even-line layout (G, R, G, B), mode 2 with the odd one (R, G, B, G).
bool hasEvenLayout(uint16_t mode, int line) {
    return (line % 2 == 0) == (mode == 1);
}

// Green counts are kept in two halves (the two green bytes of a standard unit) so that neighbouring
// increments rarely hit the same counter; they are summed before use.
struct Histograms {
    uint32_t red[256];
    uint32_t green[2][256];
    uint32_t blue[256];
};

void countLine(Histograms& h, const uint8_t* line, const Readout& r, bool evenLayout) {
    const int firstUnit = r.units / 14;
    const int lastUnit = r.units - r.units / 14;
    const uint8_t* u = line + firstUnit * r.unitBytes;
    for (int unit = firstUnit; unit <= lastUnit && unit < r.units; ++unit, u += r.unitBytes) {
        if (r.unitBytes == 3) {
            ++h.red[u[0]];
            ++h.green[0][u[1]];
            ++h.blue[u[2]];
        } else if (evenLayout) {
            ++h.green[0][u[0]];
            ++h.red[u[1]];
            ++h.green[1][u[2]];
            ++h.blue[u[3]];
        } else {
            ++h.red[u[0]];
            ++h.green[0][u[1]];
            ++h.blue[u[2]];
            ++h.green[1][u[3]];
        }
    }
}

struct Levels {
    uint8_t shadow;
    uint8_t highlight;
};

// Shadow: the first level from the bottom whose running count exceeds 1 % of the samples;
// highlight: the same from the top.
Levels levelsOf(const uint32_t (&count)[256]) {
    uint32_t samples = 0;
    for (uint32_t c : count) samples += c;
    const uint32_t t = samples / 100;
    Levels l{0, 255};
    uint32_t sum = 0;
    for (int v = 0; v < 256; ++v) {
        sum += count[v];
        if (sum > t) {
            l.shadow = static_cast<uint8_t>(v);
            break;
        }
    }
    sum = 0;
    for (int v = 255; v >= 0; --v) {
        sum += count[v];
        if (sum > t) {
            l.highlight = static_cast<uint8_t>(v);
            break;
        }
    }
    return l;
}

}  // namespace

void GetBaseData(BaseData* out, const uint8_t* raw, uint16_t mode) {
    Readout r;
    if (!readoutOf(mode, r)) return;  // no readout of that shape: the record keeps its levels
    Histograms h;
    std::memset(&h, 0, sizeof h);
    const int lineBytes = r.units * r.unitBytes;
    const int firstLine = r.lines / 14;
    const int lastLine = r.lines - r.lines / 14;
    for (int line = firstLine; line <= lastLine && line < r.lines; ++line)
        countLine(h, raw + line * lineBytes, r, hasEvenLayout(mode, line));

    for (int v = 0; v < 256; ++v) h.green[0][v] += h.green[1][v];
    const Levels blue = levelsOf(h.blue);
    const Levels green = levelsOf(h.green[0]);
    const Levels red = levelsOf(h.red);
    *out = BaseData{{blue.highlight, green.highlight, red.highlight, blue.shadow, green.shadow, red.shadow}};
}

void GetIntegData(const uint8_t* raw, uint16_t mode, uint8_t* grid64, uint32_t* mean) {
    int lines, lineBytes, samples, firstByte, byteStep;
    if (mode == 0) {
        lines = 112, lineBytes = 192, samples = 64, firstByte = 1, byteStep = 3;
    } else if (mode == 1 || mode == 2) {
        lines = 896, lineBytes = 1024, samples = 512, firstByte = 0, byteStep = 2;
    } else {
        return;  // the grid is measured on index and standard readouts only
    }
    const int cellLines = lines / 8;
    const int cellSamples = samples / 8;
    uint32_t cells[64] = {};
    uint32_t total = 0;
    for (int line = 0; line < lines; ++line) {
        const int offset = byteStep == 2 && !hasEvenLayout(mode, line) ? 1 : firstByte;
        const uint8_t* g = raw + line * lineBytes + offset;
        uint32_t* row = cells + 8 * (line / cellLines);
        for (int column = 0; column < 8; ++column) {
            uint32_t sum = 0;
            for (int s = 0; s < cellSamples; ++s, g += byteStep) sum += *g;
            row[column] += sum;
            total += sum;
        }
    }
    const uint32_t perCell = static_cast<uint32_t>(cellLines * cellSamples);
    for (int i = 0; i < 64; ++i) grid64[i] = static_cast<uint8_t>(cells[i] / perCell);
    *mean = total / static_cast<uint32_t>(lines * samples);
}

void CreateGData(const uint8_t* grid64, GData* g) {
    int all = 0;
    for (int i = 0; i < 64; ++i) all += grid64[i];
    int centre = 0;
    for (int row = 2; row <= 5; ++row)
        for (int column = 2; column <= 5; ++column) centre += grid64[8 * row + column];
    g->centre = static_cast<int16_t>(centre >> 4);
    g->overall = static_cast<int16_t>(all >> 6);
    g->difference = static_cast<int16_t>(g->centre - g->overall);
}
