// Shading correction: per-element dark and gain corrections built once per device start-up from the
// calibration lines, then applied in place to every raw readout line of a frame.
#include <algorithm>
#include <iterator>
#include <cstdint>

#include "lx9pict.h"
#include "pict_common.h"

namespace lx9pict {
namespace {

constexpr int kMaxCalibrationLines = 32;
constexpr int kConversionEntries = 1024;

// Process-wide, zero at load: an empty state corrects nothing.
struct ShadingTables {
    uint16_t gain[kSensorElements];
    uint16_t dark[kSensorElements];
    uint16_t classMin[4];
    uint16_t classMax[4];
    // Set by CreateShading, cleared by PreShading: converting the averages twice would garble them.
    bool averagesPending;
};
ShadingTables tables;

// Sensor element of byte k of a line in the given layout; monotonic in k for every layout.
int elementOf(int layout, int start, int k) {
    switch (layout) {
        case 0:
            return 32 * (k / 3) + k % 3;
        case 1: {
            static constexpr int kOffsets[4] = {1, 4, 5, 6};
            return 8 * (k / 4) + kOffsets[k % 4];
        }
        case 2:
            return 2 * start + k;
        case 3: {
            static constexpr int kOffsets[4] = {0, 1, 2, 5};
            return 8 * (k / 4) + kOffsets[k % 4];
        }
        default:
            return -1;
    }
}

int bytesPerLine(int layout, int width) {
    if (width <= 0) return 0;
    switch (layout) {
        case 0:
            return 3 * width;
        case 1:
        case 2:
        case 3:
            return 4 * (width / 2);
        default:
            return 0;
    }
}

// The corrections of one line: bytes first..first+count-1 lie on the sensor, every other byte of the line
// belongs to no element and keeps its value (a zero correction changes nothing under either rule).
struct LineCorrections {
    int first = 0;
    int count = 0;
    uint16_t value[kSensorElements];
};

void buildCorrections(LineCorrections& out, const uint16_t* table, int layout, int start, int lineBytes) {
    out.first = 0;
    out.count = 0;
    for (int k = 0; k < lineBytes; ++k) {
        const int e = elementOf(layout, start, k);
        if (e < 0) continue;
        if (e >= kSensorElements) break;
        if (out.count == 0) out.first = k;
        out.value[out.count++] = table[e];
    }
}

struct SubtractDark {
    static uint8_t apply(uint8_t b, uint16_t d) {
        const int16_t v = static_cast<int16_t>(b - d);
        return v > 0 ? static_cast<uint8_t>(v) : 0;
    }
};

struct AddGain {
    static uint8_t apply(uint8_t b, uint16_t d) {
        const int16_t v = static_cast<int16_t>(b + d);
        return v < 255 ? static_cast<uint8_t>(v) : 255;
    }
};

template <class Rule>
void correctLine(uint8_t* line, const LineCorrections& c) {
    uint8_t* p = line + c.first;
    for (int i = 0; i < c.count; ++i) p[i] = Rule::apply(p[i], c.value[i]);
}

template <class Rule>
void shade(ShadingPass* pass, int16_t lineCount, const uint16_t* table) {
    if (lineCount <= 0) return;
    const int lineBytes = bytesPerLine(pass->layout, pass->width);
    const bool swaps = pass->layout == 1 || pass->layout == 3;
    // Layouts 1 and 3 alternate line by line; both sets of corrections are built once per call.
    LineCorrections current;
    LineCorrections other;
    buildCorrections(current, table, pass->layout, pass->start, lineBytes);
    if (swaps) buildCorrections(other, table, 4 - pass->layout, pass->start, lineBytes);
    for (int line = 0; line < lineCount; ++line) {
        correctLine<Rule>(pass->cursor, line % 2 == 0 || !swaps ? current : other);
        pass->cursor += lineBytes;
        if (swaps) pass->layout = static_cast<int16_t>(4 - pass->layout);
    }
}

}  // namespace
}  // namespace lx9pict

using namespace lx9pict;

void CreateShading(const uint8_t* lines, int16_t lineCount, const uint16_t* map10) {
    // The averages divide by lineCount; more than 32 lines would not fit the calibration buffer.
    if (lineCount < 1) return;
    const int usedLines = std::min<int>(lineCount, kMaxCalibrationLines);

    uint16_t columnSums[kSensorElements] = {};
    for (int line = 0; line < usedLines; ++line) {
        const uint8_t* raw = lines + line * kSensorElements;
        for (int j = 0; j < kSensorElements; ++j)
            columnSums[j] = static_cast<uint16_t>(columnSums[j] + map10[raw[j]]);
    }

    std::fill(std::begin(tables.classMin), std::end(tables.classMin), uint16_t{65535});
    std::fill(std::begin(tables.classMax), std::end(tables.classMax), uint16_t{0});
    for (int j = 0; j < kSensorElements; ++j) {
        const int c = j % 4;
        if (columnSums[j] < tables.classMin[c]) tables.classMin[c] = columnSums[j];
        if (columnSums[j] > tables.classMax[c]) tables.classMax[c] = columnSums[j];
    }
    for (int j = 0; j < kSensorElements; ++j) {
        const auto average = static_cast<uint16_t>(columnSums[j] / usedLines);
        tables.gain[j] = average;
        tables.dark[j] = average;
    }
    for (int c = 0; c < 4; ++c) {
        tables.classMin[c] = static_cast<uint16_t>(tables.classMin[c] / usedLines);
        tables.classMax[c] = static_cast<uint16_t>(tables.classMax[c] / usedLines);
    }
    tables.averagesPending = true;
}

void PreShading(const uint8_t* conv) {
    if (!tables.averagesPending) return;
    // A mapping with values of 1024 or more would index past the table: such averages read its last entry.
    auto converted = [conv](uint16_t tenBit) -> int {
        return conv[std::min<int>(tenBit, kConversionEntries - 1)];
    };
    for (int c = 0; c < 4; ++c) {
        tables.classMin[c] = static_cast<uint16_t>(converted(tables.classMin[c]));
        tables.classMax[c] = static_cast<uint16_t>(converted(tables.classMax[c]));
    }
    for (int j = 0; j < kSensorElements; ++j) {
        const int c = j % 4;
        const int level = converted(tables.dark[j]);  // dark and gain still both hold the average
        tables.dark[j] = static_cast<uint16_t>(std::max(level - tables.classMin[c], 0));
        tables.gain[j] = static_cast<uint16_t>(std::max(tables.classMax[c] - level, 0));
    }
    tables.averagesPending = false;
}

void NegaShading(ShadingPass* pass, int16_t lineCount) {
    shade<SubtractDark>(pass, lineCount, tables.dark);
}

void PosiShading(ShadingPass* pass, int16_t lineCount) {
    shade<AddGain>(pass, lineCount, tables.gain);
}
