// Geometry of the crop preview window: the rubber band over the 448 x 256 preview, its area limit, the
// width and height shown under it, and the scan rectangle it stands for.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace lx9 {

constexpr int32_t kPreviewWidth = 448;
constexpr int32_t kPreviewHeight = 256;

// The rubber band in preview pixels: the anchor (x1, y1) where the button went down, the moving corner (x2,
// y2).
struct CropBand {
    int32_t x1;
    int32_t y1;
    int32_t x2;
    int32_t y2;
};

// Client coordinates clamped to the preview, 0..447 and 0..255.
int32_t ClampPreviewX(int32_t x);
int32_t ClampPreviewY(int32_t y);

// Pulls the moving corner towards the anchor along the diagonal until the area is at most limit square
// preview pixels. A limit of 0 (a device reporting a buffer under 32 bytes) collapses the corner onto the
// anchor instead of dividing by zero.
void LimitCropArea(CropBand& band, uint32_t limit);

// The area limit the device's buffer allows, in square preview pixels.
uint32_t CropAreaLimit(uint32_t bufferSize);

// Width and height values shown under the preview, in scan pixels (4 per preview pixel).
uint32_t CropWidthValue(const CropBand& band);
uint32_t CropHeightValue(const CropBand& band);

// True when the band encloses no area: SCAN then warns instead of scanning.
bool CropBandEmpty(const CropBand& band);

// The scan rectangle in the extended scan's 1792 x 1024 grid. Without the turn the preview is mirrored left
// to right against the grid.
RECT CropRectFromBand(const CropBand& band, bool turned);

// The preview buffers the extended scan fills: the raw data (28 blocks of 32,768 bytes), the full-size image
// (896 x 512) and the displayed 448 x 256 image with its header. Null while absent.
constexpr size_t kPreviewBlockBytes = 32768;
constexpr int kPreviewBlocks = 28;
constexpr size_t kPreviewRawBytes = kPreviewBlockBytes * kPreviewBlocks;
constexpr size_t kPreviewFullBytes = 896 * 512 * 3;
constexpr size_t kPreviewDisplayBytes = kPreviewWidth * kPreviewHeight * 3;

struct PreviewDisplay {
    BITMAPINFOHEADER header;
    uint8_t* pixels;
};

extern uint8_t* previewRaw;
extern uint8_t* previewFull;
extern PreviewDisplay previewDisplay;
extern HWND cropWindow;       // null while no crop window exists
extern int32_t previewFrame;  // the frame the crop window previews

// Frees whichever preview buffers exist, forgets the crop window and zeroes the display header. Safe to call
// any number of times: the error report, the index images' release and the crop window all call it.
void FreePreviewBuffers();

// The grey progress bar over the preview: 16 pixels per block received. Releases dc.
void DrawPreviewProgress(HWND window, HDC dc, size_t bytesReceived);

// The steps the window runs on its timer, set by the extended scan: the preview step (window, 1) returns 1
// when the preview is complete; the display step (window, frame) builds previewDisplay.
using CropStep = int (*)(HWND window, int32_t argument);
extern CropStep cropPreviewStep;
extern CropStep cropDisplayStep;

// The dialog procedure of templates 133, 186 and 187. Result 1: SCAN with cropRect set and busy set.
INT_PTR CALLBACK CropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lx9
