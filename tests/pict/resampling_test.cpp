// Resampling, sharpening and channel order.
#include <gtest/gtest.h>

#include <random>

#include "lx9pict.h"
#include "reference_model.h"

namespace {

using ref::Bytes;

Bytes randomImage(int rows, int cols, uint32_t seed) {
    std::mt19937 rng(seed);
    return ref::randomBytes(rng, 3 * static_cast<size_t>(rows) * cols);
}

TEST(Sizing, Step256CopiesAndStep512Halves) {
    Bytes in = randomImage(3, 5, 1);
    Bytes out(in.size(), 0);
    const PictImage src{in.data(), 3, 5};
    PictImage dst{out.data(), 0, 0};
    UseSizing(&src, &dst, 256);
    EXPECT_EQ(dst.rows, 3);
    EXPECT_EQ(dst.cols, 5);
    EXPECT_EQ(out, in);
    EXPECT_EQ(dst.data, out.data());

    in = randomImage(512, 896, 2);
    out.assign(3 * 256 * 448, 0);
    const PictImage frame{in.data(), 512, 896};
    dst = {out.data(), 0, 0};
    UseSizing(&frame, &dst, 512);
    ASSERT_EQ(dst.rows, 256);
    ASSERT_EQ(dst.cols, 448);
    for (int y : {0, 100, 255})
        for (int x : {0, 1, 447})
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(out[3 * (y * 448 + x) + c], in[3 * (2 * y * 896 + 2 * x) + c]);
}

TEST(Sizing, Step128DoublesEverySourcePixel) {
    Bytes in = {1, 2, 3, 4, 5, 6};
    Bytes out(3 * 8, 0);
    const PictImage src{in.data(), 1, 2};
    PictImage dst{out.data(), 0, 0};
    UseSizing(&src, &dst, 128);
    EXPECT_EQ(dst.rows, 2);
    EXPECT_EQ(dst.cols, 4);
    const Bytes row = {1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6};
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 12), row);
    EXPECT_EQ(Bytes(out.begin() + 12, out.end()), row);
}

TEST(Sizing, FractionalStepsMatchModel) {
    for (int step : {100, 200, 300, 383, 700, 1000}) {
        for (auto [rows, cols] : {std::pair{9, 13}, std::pair{1, 7}, std::pair{4, 1}}) {
            SCOPED_TRACE(testing::Message() << step << " " << rows << "x" << cols);
            const Bytes in = randomImage(rows, cols, static_cast<uint32_t>(step + rows));
            int outRows = 0, outCols = 0;
            const Bytes expected = ref::sizing(in, rows, cols, step, outRows, outCols);
            Bytes out(expected.size() + 3, 77);  // one pixel more: nothing may be written there
            const PictImage src{const_cast<uint8_t*>(in.data()), static_cast<int16_t>(rows),
                                static_cast<int16_t>(cols)};
            PictImage dst{out.data(), 0, 0};
            UseSizing(&src, &dst, static_cast<int16_t>(step));
            EXPECT_EQ(dst.rows, outRows);
            EXPECT_EQ(dst.cols, outCols);
            EXPECT_EQ(Bytes(out.begin(), out.end() - 3), expected);
            EXPECT_EQ(out.back(), 77);
        }
    }
}

TEST(Sizing, UnusableStepOrSizeGivesEmptyImage) {
    Bytes in = randomImage(200, 2, 3);
    Bytes out(3, 0);
    const PictImage src{in.data(), 200, 2};
    for (int16_t step : {0, -256, 1}) {  // 0 and below never advance; 1 would need 51200 rows
        PictImage dst{out.data(), 5, 5};
        UseSizing(&src, &dst, step);
        EXPECT_EQ(dst.rows, 0);
        EXPECT_EQ(dst.cols, 0);
    }
    EXPECT_EQ(out, Bytes(3, 0));
}

TEST(Sharp, ZeroStrengthCopiesAndSmallImagesStay) {
    for (auto [rows, cols] : {std::pair{64, 112}, std::pair{2, 2}, std::pair{1, 5}, std::pair{5, 1}}) {
        const Bytes in = randomImage(rows, cols, 4);
        Bytes out(in.size(), 0);
        const PictImage src{const_cast<uint8_t*>(in.data()), static_cast<int16_t>(rows),
                            static_cast<int16_t>(cols)};
        PictImage dst{out.data(), 0, 0};
        UseSharp(&src, &dst, 0, 0);
        EXPECT_EQ(out, in);
        EXPECT_EQ(dst.rows, rows);
        EXPECT_EQ(dst.cols, cols);
        if (rows == 2) {
            UseSharp(&src, &dst, -200, 0);  // border pixels only
            EXPECT_EQ(out, in);
        }
    }
    PictImage none{nullptr, 0, 7}, dst{nullptr, 1, 1};
    UseSharp(&none, &dst, -64, 0);  // nothing to read or write
    EXPECT_EQ(dst.rows, 0);
}

TEST(Sharp, StrengthAndDeadBand) {
    Bytes in(3 * 9, 80);
    for (int c = 0; c < 3; ++c) in[3 * 4 + c] = 100;  // centre of 3 x 3
    Bytes out(in.size(), 0);
    const PictImage src{in.data(), 3, 3};
    PictImage dst{out.data(), 0, 0};
    UseSharp(&src, &dst, -64, 0);
    EXPECT_EQ(out[12], 120);
    UseSharp(&src, &dst, -64, 30);
    EXPECT_EQ(out[12], 100);

    UseSharp(&src, &dst, 32, 0);  // smoothing: halfway to the neighbours' mean
    EXPECT_EQ(out[12], 90);
    UseSharp(&src, &dst, -1000, 0);  // 412 and -213 clamp (products beyond 16 bits)
    EXPECT_EQ(out[12], 255);
    UseSharp(&src, &dst, 1000, 0);
    EXPECT_EQ(out[12], 0);
    EXPECT_EQ(out[0], 80);  // the border is copied
}

TEST(ChannelOrder, SwapsAndAdvancesBothPointers) {
    for (auto convert : {BGRToRGB, RGBToBGR}) {
        Bytes in = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        Bytes out(12, 0);
        PictImage src{in.data(), 2, 2};
        uint8_t* cursor = out.data();
        convert(&src, &cursor);
        EXPECT_EQ(out, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
        EXPECT_EQ(src.data, in.data() + 12);
        EXPECT_EQ(cursor, out.data() + 12);

        PictImage empty{in.data(), -1, 4};
        convert(&empty, &cursor);
        EXPECT_EQ(empty.data, in.data());
        EXPECT_EQ(cursor, out.data() + 12);
    }
}

}  // namespace
