// The index sheet: size, header, black bands, where each frame lands, and cells of frames without an image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "chain/bitmap_header.h"
#include "chain/global_memory.h"
#include "ds_device_support.h"
#include "ui/index_sheet.h"

namespace {

using lx9::IndexImage;

// Index images whose pixels say which frame they belong to: blue = frame, green = row within the image
// (bottom row 0), red = column.
class Cartridge {
  public:
    explicit Cartridge(int frames, const std::vector<int>& missing = {}) {
        for (int f = 1; f <= frames; ++f) {
            if (std::find(missing.begin(), missing.end(), f) != missing.end()) continue;
            uint8_t* pixels = lx9::AllocLockedBlock(lx9::kIndexImageBytes);
            for (int y = 0; y < lx9::kIndexImageHeight; ++y) {
                for (int x = 0; x < lx9::kIndexImageWidth; ++x) {
                    uint8_t* p = pixels + y * lx9::kIndexImageRowBytes + 3 * x;
                    p[0] = static_cast<uint8_t>(f);
                    p[1] = static_cast<uint8_t>(y + 100);
                    p[2] = static_cast<uint8_t>(x + 1);
                }
            }
            images_[f].pixels = pixels;
            lx9::InitBitmapHeader(lx9::kIndexImageWidth, lx9::kIndexImageHeight, &images_[f].header);
        }
    }
    ~Cartridge() {
        for (auto& image : images_) lx9::FreeLockedBlock(image.pixels);
    }
    IndexImage* Images() { return images_; }

  private:
    IndexImage images_[41] = {};
};

struct Sheet {
    HGLOBAL block;
    BITMAPINFOHEADER header;
    std::vector<uint8_t> pixels;
    explicit Sheet(HGLOBAL b) : block(b) {
        auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
        header = *h;
        const auto* p = reinterpret_cast<const uint8_t*>(h + 1);
        pixels.assign(p, p + static_cast<size_t>(header.biWidth) * header.biHeight * 3);
        GlobalUnlock(block);
    }
    ~Sheet() { GlobalFree(block); }
    // (x, y) with y counted from the bottom, as stored.
    const uint8_t* At(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * header.biWidth + x) * 3];
    }
};

// Bottom-left stored corner of frame f's cell.
std::pair<int, int> CellOrigin(int frame, int rows) {
    const int band = (frame - 1) / 5, column = (frame - 1) % 5;
    return {14 + column * 126, 14 + (rows - 1 - band) * 78};
}

TEST(IndexSheet, SizeAndHeaderFollowTheFrameCount) {
    const std::pair<int, int> cases[] = {{15, 248}, {25, 404}, {40, 638}, {0, 638}, {16, 638}};
    for (auto [frames, height] : cases) {
        Cartridge cartridge(frames);
        HGLOBAL block = lx9::BuildIndexSheet(frames, cartridge.Images());
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(lx9test::LockCount(block), 0u) << "returned unlocked";
        EXPECT_EQ(GlobalSize(block) >= 40 + static_cast<SIZE_T>(644 * height * 3), true);
        Sheet sheet(block);
        EXPECT_EQ(sheet.header.biSize, 40u);
        EXPECT_EQ(sheet.header.biWidth, 644);
        EXPECT_EQ(sheet.header.biHeight, height) << frames << " frames";
        EXPECT_EQ(sheet.header.biPlanes, 1);
        EXPECT_EQ(sheet.header.biBitCount, 24);
        EXPECT_EQ(sheet.header.biCompression, 0u);
        EXPECT_EQ(sheet.header.biSizeImage, static_cast<DWORD>(644 * height * 3));
        EXPECT_EQ(sheet.header.biXPelsPerMeter, 0);
        EXPECT_EQ(sheet.header.biClrUsed, 0u);
    }
}

TEST(IndexSheet, FramesRunFromTopLeftBetweenBlackBands) {
    Cartridge cartridge(15);
    Sheet sheet(lx9::BuildIndexSheet(15, cartridge.Images()));
    const int rows = 3;
    std::vector<bool> inCell(644 * 248, false);
    for (int f = 1; f <= 15; ++f) {
        const auto [x0, y0] = CellOrigin(f, rows);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 112; ++x) {
                const uint8_t* p = sheet.At(x0 + x, y0 + y);
                ASSERT_EQ(p[0], f) << "frame " << f << " at " << x << "," << y;
                ASSERT_EQ(p[1], y + 100);
                ASSERT_EQ(p[2], x + 1);
                inCell[(y0 + y) * 644 + x0 + x] = true;
            }
        }
    }
    for (int y = 0; y < 248; ++y) {
        for (int x = 0; x < 644; ++x) {
            if (inCell[y * 644 + x]) continue;
            const uint8_t* p = sheet.At(x, y);
            ASSERT_TRUE(p[0] == 0 && p[1] == 0 && p[2] == 0) << "band pixel " << x << "," << y;
        }
    }
    // The first stored pixel row above the margin holds the bottom rows of frames 11..15.
    EXPECT_EQ(sheet.At(14, 14)[0], 11);
    EXPECT_EQ(sheet.At(14 + 4 * 126, 14)[0], 15);
    EXPECT_EQ(sheet.At(14, 13)[0], 0);
    // The top stored rows belong to frames 1..5.
    EXPECT_EQ(sheet.At(14, 233)[0], 1);
    EXPECT_EQ(sheet.At(14, 234)[0], 0);
}

TEST(IndexSheet, FortyFramesFillEightRows) {
    Cartridge cartridge(40);
    Sheet sheet(lx9::BuildIndexSheet(40, cartridge.Images()));
    for (int f : {1, 5, 6, 21, 36, 40}) {
        const auto [x0, y0] = CellOrigin(f, 8);
        EXPECT_EQ(sheet.At(x0, y0)[0], f);
        EXPECT_EQ(sheet.At(x0 + 111, y0 + 63)[0], f);
    }
}

TEST(IndexSheet, FrameWithoutImageGetsAPlainCell) {
    Cartridge cartridge(25, {7, 25});
    // An entry whose header does not describe a 112 x 64 image is not read either.
    cartridge.Images()[3].header.biWidth = 300;
    Sheet sheet(lx9::BuildIndexSheet(25, cartridge.Images()));
    for (int f : {3, 7, 25}) {
        const auto [x0, y0] = CellOrigin(f, 5);
        for (int y = 0; y < 64; y += 9) {
            for (int x = 0; x < 112; x += 7) {
                const uint8_t* p = sheet.At(x0 + x, y0 + y);
                ASSERT_TRUE(p[0] == lx9::kMissingCellLevel && p[1] == p[0] && p[2] == p[0]) << "frame " << f;
            }
        }
    }
    const auto [x8, y8] = CellOrigin(8, 5);
    EXPECT_EQ(sheet.At(x8, y8)[0], 8);
    // No table at all: every cell is plain.
    Sheet empty(lx9::BuildIndexSheet(15, nullptr));
    EXPECT_EQ(empty.At(14, 14)[0], lx9::kMissingCellLevel);
    EXPECT_EQ(empty.At(13, 14)[0], 0);
}

}  // namespace
