// The crop window's geometry: clamping to the preview, the area limit from the device's buffer, the width and
// height values, and the scan rectangle in both orientations.
#include <gtest/gtest.h>

#include <string>

#include "../../ds/ui/res/crop_window_ids.h"
#include "chain/chain_state.h"
#include "chain/global_memory.h"
#include "device/device_state.h"
#include "ui/main_state.h"
#include "ui/crop_window.h"

namespace lx9 {
namespace {

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(CropGeometry, WholePreviewMapsOntoTheWholeFrameInBothOrientations) {
    const CropBand band{0, 0, 447, 255};
    ExpectRect(CropRectFromBand(band, false), 4, 0, 1796, 1024);
    ExpectRect(CropRectFromBand(band, true), 0, 4, 1788, 1024);
    EXPECT_EQ(CropWidthValue(band), 1792u);
    EXPECT_EQ(CropHeightValue(band), 1024u);
}

TEST(CropGeometry, TheSameRectangleFromEitherCornerGivesTheSameResult) {
    const CropBand a{30, 40, 130, 90};
    const CropBand b{130, 90, 30, 40};
    const CropBand c{30, 90, 130, 40};
    for (bool turned : {false, true}) {
        const RECT ra = CropRectFromBand(a, turned);
        for (const CropBand& other : {b, c}) {
            const RECT ro = CropRectFromBand(other, turned);
            EXPECT_EQ(ra.left, ro.left);
            EXPECT_EQ(ra.top, ro.top);
            EXPECT_EQ(ra.right, ro.right);
            EXPECT_EQ(ra.bottom, ro.bottom);
            EXPECT_EQ(CropWidthValue(a), CropWidthValue(other));
            EXPECT_EQ(CropHeightValue(a), CropHeightValue(other));
        }
    }
    // Mirrored left to right without the turn.
    ExpectRect(CropRectFromBand(a, false), 1792 - 520, 160, 1796 - 120, 364);
    ExpectRect(CropRectFromBand(a, true), 120, 1024 - 360, 520, 1024 - 160);
}

TEST(CropGeometry, CornersStopAtThePreviewEdges) {
    EXPECT_EQ(ClampPreviewX(-1), 0);
    EXPECT_EQ(ClampPreviewX(448), 447);
    EXPECT_EQ(ClampPreviewX(-32768), 0);
    EXPECT_EQ(ClampPreviewY(256), 255);
    EXPECT_EQ(ClampPreviewY(-4), 0);
    EXPECT_EQ(ClampPreviewY(100), 100);
}

TEST(CropGeometry, AreaLimitPullsTheCornerAlongTheDiagonal) {
    CropBand band{0, 0, 400, 200};
    LimitCropArea(band, 20000);
    EXPECT_EQ(band.x2, 200);
    EXPECT_EQ(band.y2, 100);

    CropBand back{400, 200, 0, 0};
    LimitCropArea(back, 20000);
    EXPECT_EQ(back.x2, 200);
    EXPECT_EQ(back.y2, 100);

    CropBand inside{10, 10, 20, 20};
    LimitCropArea(inside, 100);
    EXPECT_EQ(inside.x2, 20);
    EXPECT_EQ(inside.y2, 20);

    // An odd limit: the result never exceeds it.
    CropBand odd{5, 7, 447, 255};
    LimitCropArea(odd, 12345);
    EXPECT_LE(static_cast<uint32_t>((odd.x2 - odd.x1) * (odd.y2 - odd.y1)), 12345u);
    EXPECT_GT(odd.x2, odd.x1);
    EXPECT_GT(odd.y2, odd.y1);
}

TEST(CropGeometry, ABufferUnder32BytesAllowsNoAreaWithoutDividingByZero) {
    EXPECT_EQ(CropAreaLimit(31), 0u);
    EXPECT_EQ(CropAreaLimit(0x100000), 0x8000u);
    CropBand band{10, 20, 300, 200};
    LimitCropArea(band, CropAreaLimit(16));
    EXPECT_EQ(band.x2, 10);
    EXPECT_EQ(band.y2, 20);
    EXPECT_TRUE(CropBandEmpty(band));
}

TEST(CropGeometry, AClickWithoutMovingHasNoArea) {
    EXPECT_TRUE(CropBandEmpty(CropBand{5, 5, 5, 5}));
    EXPECT_TRUE(CropBandEmpty(CropBand{5, 5, 9, 5}));
    EXPECT_TRUE(CropBandEmpty(CropBand{5, 5, 5, 9}));
    EXPECT_FALSE(CropBandEmpty(CropBand{5, 5, 6, 6}));
}

// Freed once however often the release runs (error report, index images, the window's own paths).
TEST(CropBuffers, FreedOnceAndForgotten) {
    previewRaw = AllocLockedBlock(kPreviewRawBytes);
    previewFull = AllocLockedBlock(kPreviewFullBytes);
    previewDisplay.pixels = AllocLockedBlock(kPreviewDisplayBytes);
    previewDisplay.header.biWidth = kPreviewWidth;
    cropWindow = reinterpret_cast<HWND>(1);
    ASSERT_NE(previewRaw, nullptr);
    FreePreviewBuffers();
    FreePreviewBuffers();
    EXPECT_EQ(previewRaw, nullptr);
    EXPECT_EQ(previewFull, nullptr);
    EXPECT_EQ(previewDisplay.pixels, nullptr);
    EXPECT_EQ(previewDisplay.header.biWidth, 0);
    EXPECT_EQ(cropWindow, nullptr);
}

INT_PTR CALLBACK PlainProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::string Text(HWND dialog, int id) {
    char text[128] = {};
    GetWindowTextA(id == 0 ? dialog : GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

struct TemplateCase {
    int id;
    const char* title;
    const char* scan;
    const char* exit;
};

// The templates carry each language's texts; SCAN starts disabled and the W:/H: statics hidden and disabled.
TEST(CropTemplates, EachLanguageHasItsTextsAndInitialStates) {
    const TemplateCase cases[] = {
        {IDD_CROP_ENGLISH, "Scanning Now...", "SCAN", "EXIT"},
        {IDD_CROP_FRENCH, "En cours de Num\xc3\xa9risation", "Num\xc3\xa9risation", "Quitter"},
        {IDD_CROP_GERMAN, "Beim Abtasten", "Abtasten", "Ende"},
    };
    for (const TemplateCase& c : cases) {
        HWND dialog =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id), nullptr, PlainProc, 0);
        ASSERT_NE(dialog, nullptr) << c.id;
        // Read back in the ANSI code page: compare through the wide texts.
        wchar_t wide[128] = {};
        GetWindowTextW(dialog, wide, 128);
        char utf8[256] = {};
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
        EXPECT_STREQ(utf8, c.title) << c.id;
        GetWindowTextW(GetDlgItem(dialog, IDC_CROP_SCAN), wide, 128);
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
        EXPECT_STREQ(utf8, c.scan) << c.id;
        EXPECT_EQ(Text(dialog, IDC_CROP_EXIT), c.exit) << c.id;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CROP_SCAN))) << c.id;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CROP_EXIT))) << c.id;
        for (int id : {IDC_CROP_W_LABEL, IDC_CROP_W_VALUE, IDC_CROP_H_LABEL, IDC_CROP_H_VALUE}) {
            HWND control = GetDlgItem(dialog, id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_FALSE(IsWindowVisible(control)) << id;
            EXPECT_FALSE(IsWindowEnabled(control)) << id;
        }
        EXPECT_EQ(Text(dialog, IDC_CROP_W_LABEL), "W:");
        EXPECT_EQ(Text(dialog, IDC_CROP_H_LABEL), "H:");
        DestroyWindow(dialog);
    }
}

int previewCalls = 0;
int PreviewAfterThreeTicks(HWND, int32_t) {
    return ++previewCalls >= 3 ? 1 : 0;
}
int BuildDisplay(HWND, int32_t) {
    previewDisplay.pixels = AllocLockedBlock(kPreviewDisplayBytes);
    previewDisplay.header.biSize = sizeof(BITMAPINFOHEADER);
    previewDisplay.header.biWidth = kPreviewWidth;
    previewDisplay.header.biHeight = kPreviewHeight;
    previewDisplay.header.biPlanes = 1;
    previewDisplay.header.biBitCount = 24;
    return 1;
}

void Pump(int ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
}

HWND OpenLoaded() {
    cropPreviewStep = PreviewAfterThreeTicks;
    cropDisplayStep = BuildDisplay;
    previewCalls = 0;
    previewFrame = 7;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CROP_ENGLISH), nullptr,
                                     CropWindowProc, 0);
    for (int i = 0; i < 100 && !IsWindowEnabled(GetDlgItem(dialog, IDC_CROP_SCAN)); ++i) Pump(50);
    return dialog;
}

void Drag(HWND dialog, int x1, int y1, int x2, int y2) {
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
    SendMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((x1 + x2) / 2, (y1 + y2) / 2));
    SendMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y2));
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
}

// The window loads on its timer, then a drag beyond the edges covers the whole preview and SCAN maps it.
TEST(CropDialog, WholeFrameDragMapsToTheWholeScanGridInBothOrientations) {
    for (int turned : {0, 1}) {
        deviceBufferSize = 0x1000000;
        rotate180 = turned;
        busy = 0;
        HWND dialog = OpenLoaded();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CROP_SCAN)));
        EXPECT_EQ(previewCalls, 3);
        ASSERT_NE(previewDisplay.pixels, nullptr);
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 451);
        EXPECT_EQ(client.bottom, 300);
        Drag(dialog, -20, -20, 600, 400);
        EXPECT_EQ(Text(dialog, IDC_CROP_W_VALUE), "1792");
        EXPECT_EQ(Text(dialog, IDC_CROP_H_VALUE), "1024");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CROP_SCAN, BN_CLICKED), 0);
        if (turned) {
            ExpectRect(cropRect, 0, 4, 1788, 1024);
        } else {
            ExpectRect(cropRect, 4, 0, 1796, 1024);
        }
        EXPECT_EQ(busy, 1);
        EXPECT_EQ(previewDisplay.pixels, nullptr);
        DestroyWindow(dialog);
    }
    rotate180 = 0;
    busy = 0;
}

TEST(CropDialog, AreaLimitAndABufferUnder32Bytes) {
    deviceBufferSize = 20000 * 32;
    HWND dialog = OpenLoaded();
    Drag(dialog, 0, 0, 400, 200);
    EXPECT_EQ(Text(dialog, IDC_CROP_W_VALUE), std::to_string(201 * 4));
    EXPECT_EQ(Text(dialog, IDC_CROP_H_VALUE), std::to_string(101 * 4));
    deviceBufferSize = 16;
    Drag(dialog, 10, 10, 300, 200);
    EXPECT_EQ(Text(dialog, IDC_CROP_W_VALUE), "4");
    EXPECT_EQ(Text(dialog, IDC_CROP_H_VALUE), "4");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CROP_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(previewDisplay.pixels, nullptr);
    DestroyWindow(dialog);
}

int NeverDone(HWND, int32_t) {
    ++previewCalls;
    return 0;
}

// EXIT while loading ends at the next tick and frees what the preview had.
TEST(CropDialog, ExitWhileLoadingEndsAtTheNextTick) {
    cropPreviewStep = NeverDone;
    previewCalls = 0;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CROP_ENGLISH), nullptr,
                                     CropWindowProc, 0);
    Pump(250);
    previewRaw = AllocLockedBlock(kPreviewRawBytes);
    busy = 1;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CROP_EXIT, BN_CLICKED), 0);
    EXPECT_EQ(busy, 0);
    EXPECT_NE(previewRaw, nullptr);
    Pump(300);
    EXPECT_EQ(previewRaw, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog));
    const int calls = previewCalls;
    Pump(300);
    EXPECT_EQ(previewCalls, calls);  // the timer is gone
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace lx9
