// The chain's small image routines and fixed tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "chain/blend_curve.h"
#include "chain/display_copy.h"
#include "chain/global_memory.h"
#include "chain/tables.h"
#include "chain/transform_image.h"
#include "ds_device_support.h"

namespace {

using lx9::AlignedRowBytes;

constexpr uint8_t kSentinel = 0xCD;

// A source of b rows of a pixels whose every byte tells where it came from.
struct Source {
    int a, b;
    size_t stride;
    std::vector<uint8_t> bytes;
    Source(int a_, int b_, bool aligned) : a(a_), b(b_), stride(aligned ? AlignedRowBytes(a_) : 3 * a_) {
        bytes.assign(stride * b, 0xEE);  // filler the transforms must never copy
        for (int r = 0; r < b; ++r) {
            for (int c = 0; c < a; ++c) {
                for (int k = 0; k < 3; ++k) bytes[stride * r + 3 * c + k] = Code(r, c, k);
            }
        }
    }
    static uint8_t Code(int r, int c, int k) { return static_cast<uint8_t>(r * 37 + c * 11 + k * 5 + 1); }
};

// Checks dst (rows x cols pixels, the given stride) against expected(r, c) -> source (row, column); filler
// bytes must be 0 and nothing may be written past the image.
template <typename Map>
void ExpectImage(const std::vector<uint8_t>& dst, int rows, int cols, size_t stride, Map expected) {
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const auto [sr, sc] = expected(r, c);
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(dst[stride * r + 3 * c + k], Source::Code(sr, sc, k)) << "pixel " << r << "," << c;
            }
        }
        for (size_t f = 3 * static_cast<size_t>(cols); f < stride; ++f)
            ASSERT_EQ(dst[stride * r + f], 0) << "filler";
    }
    for (size_t g = stride * rows; g < dst.size(); ++g)
        ASSERT_EQ(dst[g], kSentinel) << "written past the image";
}

std::vector<uint8_t> Transform(const Source& src, int operation, size_t outBytes) {
    std::vector<uint8_t> dst(outBytes + 16, kSentinel);
    lx9::TransformImage(src.a, src.b, src.bytes.data(), dst.data(), operation);
    return dst;
}

TEST(TransformImage, QuarterAndHalfTurnsUseAlignedRows) {
    for (int a = 1; a <= 6; ++a) {
        for (int b = 1; b <= 5; ++b) {
            SCOPED_TRACE(testing::Message() << a << " x " << b);
            const Source src(a, b, true);
            auto quarter = Transform(src, 90, AlignedRowBytes(b) * a);
            ExpectImage(quarter, a, b, AlignedRowBytes(b), [&](int r, int c) {
                return std::pair{c, a - 1 - r};
            });
            auto back = Transform(src, 270, AlignedRowBytes(b) * a);
            ExpectImage(back, a, b, AlignedRowBytes(b), [&](int r, int c) {
                return std::pair{b - 1 - c, r};
            });
            auto half = Transform(src, 180, AlignedRowBytes(a) * b);
            ExpectImage(half, b, a, AlignedRowBytes(a), [&](int r, int c) {
                return std::pair{b - 1 - r, a - 1 - c};
            });
        }
    }
}

TEST(TransformImage, CopyAndFlipUsePackedRows) {
    for (int a = 1; a <= 6; ++a) {
        for (int b = 1; b <= 5; ++b) {
            SCOPED_TRACE(testing::Message() << a << " x " << b);
            const Source src(a, b, false);
            auto copy = Transform(src, 0, 3 * a * b);
            ExpectImage(copy, b, a, 3 * a, [](int r, int c) { return std::pair{r, c}; });
            auto flip = Transform(src, 500, 3 * a * b);
            ExpectImage(flip, b, a, 3 * a, [&](int r, int c) { return std::pair{b - 1 - r, c}; });
        }
    }
}

TEST(TransformImage, QuarterTurnOfTwoPixelsPadsEachRow) {
    const uint8_t src[8] = {1, 2, 3, 4, 5, 6, 0xEE, 0xEE};  // P0, P1 and the row's filler
    uint8_t dst[8];
    std::fill(std::begin(dst), std::end(dst), kSentinel);
    lx9::TransformImage(2, 1, src, dst, 90);
    const uint8_t expected[8] = {4, 5, 6, 0, 1, 2, 3, 0};
    EXPECT_TRUE(std::equal(std::begin(dst), std::end(dst), std::begin(expected)));
}

TEST(TransformImage, UnknownOperationOrEmptySizeWritesNothing) {
    const Source src(4, 4, true);
    for (int op : {1, 45, 360, -90}) {
        auto dst = Transform(src, op, 0);
        for (uint8_t v : dst) ASSERT_EQ(v, kSentinel) << "operation " << op;
    }
    std::vector<uint8_t> dst(16, kSentinel);
    lx9::TransformImage(0, 4, src.bytes.data(), dst.data(), 0);
    lx9::TransformImage(4, -1, src.bytes.data(), dst.data(), 90);
    for (uint8_t v : dst) EXPECT_EQ(v, kSentinel);
}

TEST(BlendCurve, MeanOfCurveAndIdentity) {
    lx9::ToneCurve blended{};
    lx9::BlendCurve(lx9::positiveToneCurve.data(), blended.data(), 5);
    EXPECT_EQ(blended[3 * 255], 255);  // stored 255 at 255
    EXPECT_EQ(blended[2], 4);          // stored blue 8 at 0
    // The blended curve at the sample levels, as the product has always drawn it.
    const uint8_t expected[3][10] = {{0, 19, 38, 71, 98, 122, 145, 172, 208, 255},
                                     {0, 20, 38, 70, 97, 120, 143, 170, 206, 255},
                                     {4, 20, 36, 66, 93, 117, 140, 166, 202, 255}};
    for (int s = 0; s < lx9::kToneSamples; ++s) {
        const int i = lx9::toneSampleInputs[s];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(blended[3 * i + k], expected[k][s]) << "input " << i << " channel " << k;
    }
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(blended[3 * i + 1], (lx9::positiveToneCurve[3 * i + 1] + i) / 2) << i;
    }
}

TEST(BlendCurve, LargeFactorStopsAtWhite) {
    lx9::ToneCurve curve{};
    curve.fill(200);
    lx9::ToneCurve out{};
    lx9::BlendCurve(curve.data(), out.data(), 10);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[3 * 55], 255);
    EXPECT_EQ(out[3 * 255 + 2], 255);
}

TEST(ToneCurves, PassThroughEverySampleAndNeverFall) {
    for (int n = 0; n < lx9::kNegativeCurves - 1; ++n) {
        const auto& curve = lx9::negativeToneCurves[n];
        for (int k = 0; k < 3; ++k) {
            for (int s = 0; s < lx9::kToneSamples; ++s) {
                const int i = lx9::toneSampleInputs[s];
                EXPECT_EQ(curve[3 * i + k], lx9::negativeToneSamples[n][k][s])
                    << "curve " << n << " input " << i;
            }
            for (int i = 1; i < 256; ++i)
                ASSERT_GE(curve[3 * i + k], curve[3 * (i - 1) + k]) << "curve " << n;
            EXPECT_EQ(curve[k], 5);
            EXPECT_GE(curve[3 * 255 + k], 232);
            EXPECT_LE(curve[3 * 255 + k], 235);
        }
    }
    for (int k = 0; k < 3; ++k) {
        for (int s = 0; s < lx9::kToneSamples; ++s) {
            const int i = lx9::toneSampleInputs[s];
            EXPECT_EQ(lx9::positiveToneCurve[3 * i + k], lx9::positiveToneSamples[k][s]);
        }
        for (int i = 1; i < 256; ++i)
            ASSERT_GE(lx9::positiveToneCurve[3 * i + k], lx9::positiveToneCurve[3 * (i - 1) + k]);
    }
    // Spot checks against the product's sample table, independent of the header's copy.
    EXPECT_EQ(lx9::negativeToneCurves[0][3 * 128 + 0], 93);
    EXPECT_EQ(lx9::negativeToneCurves[6][3 * 16 + 2], 29);
}

TEST(ToneCurves, CurveSevenIsTheIdentity) {
    for (int i = 0; i < 768; ++i) ASSERT_EQ(lx9::negativeToneCurves[7][i], i / 3);
}

TEST(MakeDisplayCopy, MirrorsEachRowIntoALockedBlock) {
    constexpr int rows = 64, cols = 112;
    const Source src(cols, rows, false);
    lx9::IndexImage entry{};
    lx9::MakeDisplayCopy(nullptr, src.bytes.data(), rows, cols, &entry);
    ASSERT_NE(entry.pixels, nullptr);
    HGLOBAL block = GlobalHandle(entry.pixels);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(lx9test::LockCount(block), 1u);
    EXPECT_GE(GlobalSize(block), static_cast<SIZE_T>(rows * cols * 3));
    std::vector<uint8_t> copy(entry.pixels, entry.pixels + rows * cols * 3);
    copy.resize(copy.size() + 16, kSentinel);
    ExpectImage(copy, rows, cols, 3 * cols, [&](int r, int c) { return std::pair{r, cols - 1 - c}; });

    // A second copy replaces the first block rather than leaking it.
    lx9::MakeDisplayCopy(nullptr, src.bytes.data(), rows, cols, &entry);
    ASSERT_NE(entry.pixels, nullptr);
    EXPECT_NE(GlobalHandle(entry.pixels), nullptr);
    lx9::FreeLockedBlock(entry.pixels);

    // Rows that would need filler are refused.
    lx9::IndexImage odd{};
    lx9::MakeDisplayCopy(nullptr, src.bytes.data(), 2, 5, &odd);
    EXPECT_EQ(odd.pixels, nullptr);
}

}  // namespace
