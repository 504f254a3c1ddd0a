// Timings of LX9Pict on one standard frame (896 raw lines of 1024 bytes, 512 x 896 pixels): the negative
// and the positive chain as the data source runs them, UseSizing, UseSharp, and memcpy of the same
// buffers as the bandwidth reference. The "per_pixel" counter is the time per output pixel.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "lx9pict.h"

namespace {

constexpr int kLines = 896;
constexpr int kWidth = 512;
constexpr int kRawBytes = kLines * 1024;
constexpr int kPixels = kLines * kWidth;

uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
}

// A film-like raw frame: smooth gradients plus noise, mid-range levels.
std::vector<uint8_t> makeRawFrame() {
    std::vector<uint8_t> raw(kRawBytes);
    uint32_t seed = 7;
    for (int line = 0; line < kLines; ++line)
        for (int k = 0; k < 1024; ++k)
            raw[line * 1024 + k] =
                static_cast<uint8_t>(60 + (line / 8 + k / 10) % 120 + nextRandom(seed) % 16);
    return raw;
}

// Shading tables from 32 calibration lines with a little per-element spread and a linear conversion.
void prepareShading() {
    std::vector<uint8_t> calibration(32 * 2048);
    uint32_t seed = 3;
    for (auto& b : calibration) b = static_cast<uint8_t>(20 + nextRandom(seed) % 8);
    uint16_t map10[256];
    for (int v = 0; v < 256; ++v) map10[v] = static_cast<uint16_t>(768 + v);
    uint8_t conv[1024];
    for (int x = 0; x < 1024; ++x) conv[x] = static_cast<uint8_t>(x / 4);
    CreateShading(calibration.data(), 32, map10);
    PreShading(conv);
}

void identityCurve(uint8_t* curve) {
    for (int i = 0; i < 256; ++i)
        curve[3 * i] = curve[3 * i + 1] = curve[3 * i + 2] = static_cast<uint8_t>(i);
}

void setPerPixel(benchmark::State& state, int pixels) {
    state.counters["per_pixel"] = benchmark::Counter(
        pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_NegativeChain(benchmark::State& state) {
    prepareShading();
    const std::vector<uint8_t> pristine = makeRawFrame();
    std::vector<uint8_t> raw(kRawBytes);
    std::vector<uint8_t> pixels(3 * kPixels);
    static const uint16_t thresholds[6] = {23, 33, 48, 71, 101, 135};
    static const int16_t bounds[7] = {10, -10, 5, -32, 29, -42, 16};
    static const uint8_t pairs[14] = {110, 166, 110, 182, 111, 197, 115, 202, 108, 195, 95, 178, 80, 153};
    static const int16_t matrix[9] = {318, -62, 0, -12, 276, -8, -29, -10, 295};
    uint8_t curve[768];
    identityCurve(curve);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(raw.data(), pristine.data(), kRawBytes);
        state.ResumeTiming();
        ShadingPass pass{raw.data(), 1, 0, kWidth};
        NegaShading(&pass, kLines);
        GetStandardData(pixels.data(), raw.data(), kWidth, kLines);
        BaseData base;
        GetBaseData(&base, raw.data(), 1);
        uint8_t grid[64];
        uint32_t mean = 0;
        GetIntegData(raw.data(), 1, grid, &mean);
        GData g;
        CreateGData(grid, &g);
        int16_t tone = BrightLUT(thresholds, 60);
        int16_t diffs[4];
        ColorFeriaBase(&base, diffs, bounds, nullptr);
        BackLightBase(&base, &g);
        int16_t offsets[3];
        BrightBase(&tone, &base, pairs, offsets, 40);
        PictImage image{pixels.data(), kLines, kWidth};
        ShiftGraph(&image, &base, offsets);
        ChangeNegaType(&image, &base, curve);
        ChangeRGBData(&image, matrix);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    setPerPixel(state, kPixels);
}
BENCHMARK(BM_NegativeChain)->Unit(benchmark::kMillisecond);

void BM_PositiveChain(benchmark::State& state) {
    prepareShading();
    const std::vector<uint8_t> pristine = makeRawFrame();
    std::vector<uint8_t> raw(kRawBytes);
    std::vector<uint8_t> pixels(3 * kPixels);
    static const BaseData positiveBase{{239, 244, 244, 23, 22, 18}};
    static const int16_t matrix[9] = {295, -21, -18, -52, 308, 0, 0, -52, 308};
    uint8_t curve[768];
    identityCurve(curve);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(raw.data(), pristine.data(), kRawBytes);
        state.ResumeTiming();
        ShadingPass pass{raw.data(), 1, 0, kWidth};
        PosiShading(&pass, kLines);
        GetStandardData(pixels.data(), raw.data(), kWidth, kLines);
        PictImage image{pixels.data(), kLines, kWidth};
        ChangePosiType(&image, &positiveBase, curve);
        ChangeRGBData(&image, matrix);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    setPerPixel(state, kPixels);
}
BENCHMARK(BM_PositiveChain)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> makeImage() {
    std::vector<uint8_t> pixels(3 * kPixels);
    uint32_t seed = 11;
    for (auto& b : pixels) b = static_cast<uint8_t>(nextRandom(seed));
    return pixels;
}

void BM_UseSizingHalf(benchmark::State& state) {
    std::vector<uint8_t> in = makeImage();
    std::vector<uint8_t> out(3 * kPixels / 4);
    const PictImage src{in.data(), kWidth, kLines};
    for (auto _ : state) {
        PictImage dst{out.data(), 0, 0};
        UseSizing(&src, &dst, 512);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPixel(state, kPixels / 4);
}
BENCHMARK(BM_UseSizingHalf)->Unit(benchmark::kMicrosecond);

void BM_UseSharp(benchmark::State& state) {
    std::vector<uint8_t> in = makeImage();
    std::vector<uint8_t> out(3 * kPixels);
    const PictImage src{in.data(), kWidth, kLines};
    for (auto _ : state) {
        PictImage dst{out.data(), 0, 0};
        UseSharp(&src, &dst, static_cast<int16_t>(state.range(0)), 2);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setPerPixel(state, kPixels);
}
BENCHMARK(BM_UseSharp)->Arg(0)->Arg(-32)->Unit(benchmark::kMicrosecond);

// The stages of the negative chain one by one, to see where the time goes.
void BM_NegativeStage(benchmark::State& state) {
    prepareShading();
    std::vector<uint8_t> raw = makeRawFrame();
    std::vector<uint8_t> pixels = makeImage();
    static const int16_t matrix[9] = {318, -62, 0, -12, 276, -8, -29, -10, 295};
    static const int16_t offsets[3] = {3, -2, 5};
    static const BaseData base{{200, 210, 205, 40, 45, 42}};
    uint8_t curve[768];
    identityCurve(curve);
    PictImage image{pixels.data(), kLines, kWidth};
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: {
                ShadingPass pass{raw.data(), 1, 0, kWidth};
                NegaShading(&pass, kLines);
                break;
            }
            case 1:
                GetStandardData(pixels.data(), raw.data(), kWidth, kLines);
                break;
            case 2: {
                BaseData measured;
                GetBaseData(&measured, raw.data(), 1);
                benchmark::DoNotOptimize(measured);
                break;
            }
            case 3: {
                uint8_t grid[64];
                uint32_t mean;
                GetIntegData(raw.data(), 1, grid, &mean);
                benchmark::DoNotOptimize(grid);
                break;
            }
            case 4:
                ShiftGraph(&image, &base, offsets);
                break;
            case 5:
                ChangeNegaType(&image, &base, curve);
                break;
            case 6:
                ChangeRGBData(&image, matrix);
                break;
        }
        benchmark::ClobberMemory();
    }
    static const char* const kNames[] = {"NegaShading", "GetStandardData", "GetBaseData",  "GetIntegData",
                                         "ShiftGraph",  "ChangeNegaType",  "ChangeRGBData"};
    state.SetLabel(kNames[state.range(0)]);
    setPerPixel(state, kPixels);
}
BENCHMARK(BM_NegativeStage)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

// Bandwidth reference: one copy of the raw frame and one of the pixel buffer, the bytes a chain touches
// at least once.
void BM_MemcpyFrame(benchmark::State& state) {
    const std::vector<uint8_t> raw = makeRawFrame();
    const std::vector<uint8_t> pixels = makeImage();
    std::vector<uint8_t> rawCopy(raw.size());
    std::vector<uint8_t> pixelCopy(pixels.size());
    for (auto _ : state) {
        std::memcpy(rawCopy.data(), raw.data(), raw.size());
        std::memcpy(pixelCopy.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(rawCopy.data());
        benchmark::DoNotOptimize(pixelCopy.data());
        benchmark::ClobberMemory();
    }
    setPerPixel(state, kPixels);
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
