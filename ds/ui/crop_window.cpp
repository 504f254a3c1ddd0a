// Geometry of the crop preview window.
#include "ui/crop_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "chain/global_memory.h"

namespace lx9 {

int32_t ClampPreviewX(int32_t x) {
    return std::clamp<int32_t>(x, 0, kPreviewWidth - 1);
}

int32_t ClampPreviewY(int32_t y) {
    return std::clamp<int32_t>(y, 0, kPreviewHeight - 1);
}

uint32_t CropAreaLimit(uint32_t bufferSize) {
    return bufferSize >> 5;
}

void LimitCropArea(CropBand& band, uint32_t limit) {
    const int32_t dx = band.x2 - band.x1;
    const int32_t dy = band.y2 - band.y1;
    const uint32_t area = static_cast<uint32_t>(std::abs(dx * dy));
    if (area <= limit) {
        return;
    }
    if (limit == 0) {
        band.x2 = band.x1;
        band.y2 = band.y1;
        return;
    }
    const double s = std::sqrt(static_cast<double>(area) / static_cast<double>(limit));
    band.x2 = band.x1 + static_cast<int32_t>(dx / s);
    band.y2 = band.y1 + static_cast<int32_t>(dy / s);
}

uint32_t CropWidthValue(const CropBand& band) {
    return static_cast<uint32_t>(std::abs(band.x2 - band.x1) + 1) * 4;
}

uint32_t CropHeightValue(const CropBand& band) {
    return static_cast<uint32_t>(std::abs(band.y2 - band.y1) + 1) * 4;
}

bool CropBandEmpty(const CropBand& band) {
    return band.x1 == band.x2 || band.y1 == band.y2;
}

RECT CropRectFromBand(const CropBand& band, bool turned) {
    const LONG xmin = std::min(band.x1, band.x2);
    const LONG xmax = std::max(band.x1, band.x2);
    const LONG ymin = std::min(band.y1, band.y2);
    const LONG ymax = std::max(band.y1, band.y2);
    RECT r;
    if (turned) {
        r.left = 4 * xmin;
        r.top = 1024 - 4 * ymax;
        r.right = 4 * xmax;
        r.bottom = 1024 - 4 * ymin;
    } else {
        r.left = 1792 - 4 * xmax;
        r.top = 4 * ymin;
        r.right = 1796 - 4 * xmin;
        r.bottom = 4 * ymax + 4;
    }
    return r;
}

uint8_t* previewRaw = nullptr;
uint8_t* previewFull = nullptr;
PreviewDisplay previewDisplay = {};
HWND cropWindow = nullptr;
int32_t previewFrame = 0;

void FreePreviewBuffers() {
    FreeLockedBlock(previewDisplay.pixels);
    previewDisplay.pixels = nullptr;
    FreeLockedBlock(previewRaw);
    previewRaw = nullptr;
    FreeLockedBlock(previewFull);
    previewFull = nullptr;
    cropWindow = nullptr;
    std::memset(&previewDisplay.header, 0, sizeof previewDisplay.header);
}

void DrawPreviewProgress(HWND window, HDC dc, size_t bytesReceived) {
    const int right =
        16 * static_cast<int>(std::min<size_t>(bytesReceived / kPreviewBlockBytes, kPreviewBlocks));
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    HGDIOBJ previous = SelectObject(dc, grey);
    Rectangle(dc, 0, 0, right, 255);
    SelectObject(dc, previous);
    DeleteObject(grey);
    ReleaseDC(window, dc);
}

}  // namespace lx9
