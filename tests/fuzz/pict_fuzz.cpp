// LX9Pict, every export, with fuzzed geometry (rows, cols, widths, line counts, steps, layouts, modes,
// indices) and fuzzed tables and pixels. Each buffer is exactly as large as the call's documented geometry
// needs (none at all where a guard says nothing is touched), so the sanitizer sees any byte outside it.
// Where the arguments keep the documented limits the result is also compared with the reference model of
// the unit tests.
//
// Input: pixel and table bytes from the front, the calls and their arguments from the back.
#include <algorithm>
#include <cstring>

#include "fuzz_input.h"
#include "lx9pict.h"
#include "reference_model.h"

namespace {

using lx9fuzz::ExactBuffer;
using lx9fuzz::Input;

// Buffers the harness hands over are kept small enough for many runs a second.
constexpr size_t kMaxBuffer = 2u << 20;

int16_t Extent(Input& in) {
    // Mostly small geometry, now and then anything a signed 16-bit field can hold.
    switch (in.u8() % 8) {
        case 0:
            return static_cast<int16_t>(in.u16());
        case 1:
            return static_cast<int16_t>(-static_cast<int>(in.u8()));
        default:
            return static_cast<int16_t>(in.u8() % 64);
    }
}

size_t Pixels(int rows, int cols) {
    return rows <= 0 || cols <= 0 ? 0 : static_cast<size_t>(rows) * static_cast<size_t>(cols);
}

template <typename T>
void Fill(T* values, size_t n, Input& in) {
    const auto bytes = in.bytes(n * sizeof(T));
    std::memset(values, 0, n * sizeof(T));
    std::memcpy(values, bytes.data(), bytes.size());
}

// The library's shading tables are process-wide: every run starts from the same empty state.
void ResetShading() {
    static const uint8_t zeros[1024] = {};
    static uint16_t map[256] = {};
    static uint8_t line[2048] = {};
    CreateShading(line, 1, map);
    PreShading(zeros);
}

int ShadingBytesPerLine(int layout, int width) {
    if (width <= 0) return 0;
    if (layout == 0) return 3 * width;
    if (layout >= 1 && layout <= 3) return 4 * (width / 2);
    return 0;
}

// Shading: build tables, then correct lines; compared with the reference when the calibration keeps its
// limits.
void Shading(Input& in) {
    const int16_t lineCount =
        in.u8() % 4 == 0 ? static_cast<int16_t>(in.u16()) : static_cast<int16_t>(in.u8() % 33);
    const int used = std::clamp<int>(lineCount, 0, 32);
    ExactBuffer lines(static_cast<size_t>(used) * 2048, in.bytes(in.u16() % 8192));
    uint16_t map[256];
    const uint8_t mapKind = in.u8();
    for (int v = 0; v < 256; ++v) map[v] = static_cast<uint16_t>(mapKind < 0xF0 ? 768 + v : in.u16());
    ExactBuffer conv(1024, in.bytes(1024));
    const bool pre = in.u8() % 8 != 0;
    CreateShading(lines.data(), lineCount, map);
    if (pre) PreShading(conv.data());
    if (in.u8() % 4 == 0) PreShading(conv.data());  // a second call must not convert the tables again

    ShadingPass pass;
    pass.layout = in.u8() % 8 == 0 ? static_cast<int16_t>(in.u16()) : static_cast<int16_t>(in.u8() % 5);
    pass.start = static_cast<int16_t>(in.u8() % 4 == 0 ? in.u16() : in.u8());
    pass.width = Extent(in);
    const int16_t count = Extent(in);
    const int lineBytes = ShadingBytesPerLine(pass.layout, pass.width);
    const size_t total = count <= 0 ? 0 : static_cast<size_t>(lineBytes) * static_cast<size_t>(count);
    if (total > kMaxBuffer) return;
    ExactBuffer raw(total, in.bytes(total));
    std::vector<uint8_t> expected(raw.data(), raw.data() + total);
    const int16_t layoutBefore = pass.layout;
    pass.cursor = raw.data();
    const bool nega = in.flag();
    if (nega)
        NegaShading(&pass, count);
    else
        PosiShading(&pass, count);
    LX9_FUZZ_CHECK(pass.cursor == raw.data() + total);  // left past the last byte corrected
    const bool swaps = layoutBefore == 1 || layoutBefore == 3;
    const int lines_ = count > 0 ? count : 0;
    LX9_FUZZ_CHECK(pass.layout == (swaps && lines_ % 2 == 1 ? 4 - layoutBefore : layoutBefore));

    bool limitsKept = lineCount >= 1 && lineCount <= 32 && pre;
    for (int v = 0; v < 256 && limitsKept; ++v) limitsKept = map[v] < 1024;
    if (!limitsKept) return;
    const ref::Bytes lineBytesCopy(lines.data(), lines.data() + lines.size());
    const ref::Bytes convCopy(conv.data(), conv.data() + 1024);
    const ref::ShadingTables tables = ref::shadingTables(lineBytesCopy, lineCount, map, convCopy);
    ref::shade(expected.data(), layoutBefore, pass.start, pass.width, count, tables, nega);
    LX9_FUZZ_CHECK(std::equal(expected.begin(), expected.end(), raw.data()));
}

size_t BaseDataBytes(uint16_t mode) {
    switch (mode) {
        case 0:
            return 21504;
        case 3:
            return 16128;
        case 1:
        case 2:
            return 917504;
        default:
            return 0;
    }
}

// The measurements: a raw frame of the mode's geometry, then the records the data source refines.
void Measurements(Input& in) {
    // The standard geometry (896 KiB a frame) now and then, the small ones and unknown codes mostly.
    static const uint16_t kModes[] = {0, 0, 0, 3, 3, 4, 1, 2};
    const uint8_t modeChoice = in.u8();
    const uint16_t mode = modeChoice == 0xFF ? in.u16() : kModes[modeChoice % 8];
    const auto sample = in.bytes(in.u16() % 4096);
    {
        ExactBuffer raw(BaseDataBytes(mode), sample);
        ExactBuffer out(sizeof(BaseData));
        std::memset(out.data(), 0x5A, sizeof(BaseData));
        GetBaseData(out.as<BaseData>(), raw.data(), mode);
        if (BaseDataBytes(mode) == 0)
            for (size_t i = 0; i < sizeof(BaseData); ++i) LX9_FUZZ_CHECK(out.data()[i] == 0x5A);
    }
    {
        const size_t bytes = mode == 0 ? 21504 : (mode == 1 || mode == 2 ? 917504 : 0);
        ExactBuffer raw(bytes, sample);
        ExactBuffer grid(64);
        ExactBuffer mean(sizeof(uint32_t));
        std::memset(grid.data(), 0x5A, 64);
        GetIntegData(raw.data(), mode, grid.data(), mean.as<uint32_t>());
        if (bytes == 0)
            for (size_t i = 0; i < 64; ++i) LX9_FUZZ_CHECK(grid.data()[i] == 0x5A);
    }
    ExactBuffer grid(64, in.bytes(64));
    ExactBuffer g(sizeof(GData));
    CreateGData(grid.data(), g.as<GData>());
    ExactBuffer thresholds(12);
    Fill(thresholds.as<uint16_t>(), 6, in);
    const int16_t tone = BrightLUT(thresholds.as<uint16_t>(), in.u8());
    LX9_FUZZ_CHECK(tone >= 0 && tone <= 6);

    ExactBuffer base(sizeof(BaseData), in.bytes(6));
    ExactBuffer diffs(8);
    ExactBuffer limits(14);
    Fill(limits.as<int16_t>(), 7, in);
    ExactBuffer spare(0);  // not read
    ColorFeriaBase(base.as<BaseData>(), diffs.as<int16_t>(), limits.as<int16_t>(), spare.data());
    ExactBuffer g2(sizeof(GData));
    Fill(g2.as<GData>(), 1, in);
    BackLightBase(base.as<BaseData>(), in.flag() ? g.as<GData>() : g2.as<GData>());
    ExactBuffer toneIndex(2);
    *toneIndex.as<int16_t>() = in.u8() % 4 == 0 ? static_cast<int16_t>(in.u16()) : tone;
    ExactBuffer pairs(14, in.bytes(14));
    ExactBuffer offsets(6);
    BrightBase(toneIndex.as<int16_t>(), base.as<BaseData>(), pairs.data(), offsets.as<int16_t>(), in.u8());
    ExactBuffer highlights(3, in.bytes(3));
    const uint16_t shutter = in.u16();
    LX9_FUZZ_CHECK(GetNewCCDShutter(shutter, highlights.data()) <= 655);
}

// Readout extraction: raw lines of the mode's stride in, width x lines pixels out.
void Extraction(Input& in) {
    const int which = in.u8() % 3;
    const int16_t width = which == 1 && in.u8() % 2 == 0 ? 512 : Extent(in);
    const int16_t lines = Extent(in);
    const size_t pixels = Pixels(lines, width);
    size_t srcBytes = 0;
    if (which == 0) srcBytes = 3 * pixels;
    if (which == 1)
        srcBytes = width >= 2 && width <= 512 && lines > 0 ? 1024 * static_cast<size_t>(lines) : 0;
    if (which == 2) srcBytes = width >= 2 ? 2 * pixels : 0;
    if (srcBytes > kMaxBuffer || 3 * pixels > kMaxBuffer) return;
    ExactBuffer src(srcBytes, in.bytes(in.u16() % 8192));
    ExactBuffer dst(srcBytes == 0 ? 0 : 3 * pixels);
    if (which == 0) GetIndexData(dst.data(), src.data(), width, lines);
    if (which == 1) GetStandardData(dst.data(), src.data(), width, lines);
    if (which == 2) GetExtendData(dst.data(), src.data(), width, lines);
    if (which == 1 && width == 512 && lines > 0 && lines % 2 == 0) {
        std::vector<uint8_t> expected(3 * pixels);
        ref::standardData(expected.data(), src.data(), width, lines);
        LX9_FUZZ_CHECK(std::equal(expected.begin(), expected.end(), dst.data()));
    }
}

// The conversions in place on one image.
void Conversion(Input& in) {
    const int16_t rows = Extent(in);
    const int16_t cols = Extent(in);
    const size_t bytes = 3 * Pixels(rows, cols);
    if (bytes > kMaxBuffer) return;
    ExactBuffer pixels(bytes, in.bytes(in.u16() % 8192));
    ref::Bytes expected(pixels.data(), pixels.data() + bytes);
    PictImage image{pixels.data(), rows, cols};
    ExactBuffer base(sizeof(BaseData), in.bytes(6));
    ExactBuffer curve(768, in.bytes(768));
    const BaseData& b = *base.as<BaseData>();
    const bool levelsKept = b.v[0] >= b.v[3] && b.v[1] >= b.v[4] && b.v[2] >= b.v[5];
    switch (in.u8() % 5) {
        case 0: {
            ExactBuffer offsets(6);
            Fill(offsets.as<int16_t>(), 3, in);
            ShiftGraph(&image, nullptr, offsets.as<int16_t>());
            ref::shiftGraph(expected, offsets.as<int16_t>());
            break;
        }
        case 1:
            ChangeNegaType(&image, base.as<BaseData>(), curve.data());
            if (!levelsKept) return;
            ref::negaType(expected, b, curve.data());
            break;
        case 2:
            ChangePosiType(&image, base.as<BaseData>(), curve.data());
            if (!levelsKept) return;
            ref::posiType(expected, b, curve.data());
            break;
        case 3: {
            ExactBuffer matrix(18);
            Fill(matrix.as<int16_t>(), 9, in);
            ChangeRGBData(&image, matrix.as<int16_t>());
            ref::rgbData(expected, matrix.as<int16_t>());
            break;
        }
        default:
            ChangeMonoData(&image);
            for (size_t k = 0; k + 2 < bytes; k += 3)
                expected[k] = expected[k + 1] = expected[k + 2] =
                    static_cast<uint8_t>((expected[k] + expected[k + 1] + expected[k + 2]) / 3);
            break;
    }
    LX9_FUZZ_CHECK(std::equal(expected.begin(), expected.end(), pixels.data()));
}

// Resampling, sharpening and channel order.
void Resampling(Input& in) {
    const int16_t rows = Extent(in);
    const int16_t cols = Extent(in);
    const size_t bytes = 3 * Pixels(rows, cols);
    if (bytes > kMaxBuffer) return;
    ExactBuffer pixels(bytes, in.bytes(in.u16() % 8192));
    PictImage src{pixels.data(), rows, cols};
    switch (in.u8() % 4) {
        case 0: {
            const int16_t step =
                in.u8() % 4 == 0 ? static_cast<int16_t>(in.u16()) : static_cast<int16_t>(in.u16() % 1024);
            size_t outRows = 0, outCols = 0;
            if (step > 0 && bytes > 0) {
                outRows = (static_cast<size_t>(rows) * 256 + step - 1) / step;
                outCols = (static_cast<size_t>(cols) * 256 + step - 1) / step;
            }
            // Larger than a 16-bit extent: the library makes an empty image and needs no buffer.
            if (outRows > 32767 || outCols > 32767) outRows = outCols = 0;
            if (3 * outRows * outCols > kMaxBuffer) return;
            ExactBuffer out(3 * outRows * outCols);
            PictImage dst{out.data(), 99, 99};
            UseSizing(&src, &dst, step);
            LX9_FUZZ_CHECK(static_cast<size_t>(dst.rows) == outRows &&
                           static_cast<size_t>(dst.cols) == outCols);
            if (outRows == 0) return;
            int refRows = 0, refCols = 0;
            const ref::Bytes expected = ref::sizing(ref::Bytes(pixels.data(), pixels.data() + bytes), rows,
                                                    cols, step, refRows, refCols);
            LX9_FUZZ_CHECK(std::equal(expected.begin(), expected.end(), out.data()));
            break;
        }
        case 1: {
            ExactBuffer out(bytes);
            PictImage dst{out.data(), 0, 0};
            UseSharp(&src, &dst, static_cast<int16_t>(in.u16()), static_cast<int16_t>(in.u16()));
            LX9_FUZZ_CHECK(dst.rows == rows && dst.cols == cols);
            break;
        }
        default: {
            ExactBuffer out(bytes);
            uint8_t* cursor = out.data();
            if (in.flag())
                BGRToRGB(&src, &cursor);
            else
                RGBToBGR(&src, &cursor);
            LX9_FUZZ_CHECK(src.data == pixels.data() + bytes && cursor == out.data() + bytes);
            for (size_t k = 0; k + 2 < bytes; k += 3)
                LX9_FUZZ_CHECK(out.data()[k] == pixels.data()[k + 2] &&
                               out.data()[k + 2] == pixels.data()[k]);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    ResetShading();
    for (int call = 0; call < 4 && !in.empty(); ++call) {
        switch (in.u8() % 5) {
            case 0:
                Shading(in);
                break;
            case 1:
                Measurements(in);
                break;
            case 2:
                Extraction(in);
                break;
            case 3:
                Conversion(in);
                break;
            default:
                Resampling(in);
                break;
        }
    }
    return 0;
}
