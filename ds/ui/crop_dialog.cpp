// The crop preview window: loads the preview on its timer, shows it, lets the user drag the rubber band and
// turns it into the scan rectangle.
#include <cstdio>

#include "device/messages.h"
#include "res/crop_window_ids.h"
#include "ui/crop_window.h"
#include "ui/main_state.h"
#include "ui/window_layout.h"
#include "ui/workflows/preview_scan.h"

namespace lx9 {

CropStep cropPreviewStep = nullptr;
CropStep cropDisplayStep = nullptr;

namespace {

constexpr UINT_PTR kCropTimer = 1;
constexpr int kStateLoading = 9;
constexpr int kStateComplete = 100;

HPEN dottedPen = nullptr;
HBRUSH hollowBrush = nullptr;
CropBand band = {};
const RECT kPreviewArea = {0, 0, kPreviewWidth, kPreviewHeight};
bool dragging = false;
bool loading = false;
bool exitPending = false;
int windowState = 0;
int32_t frame = 0;
bool stepTaken = false;

void DrawBand(HDC dc) {
    HGDIOBJ pen = SelectObject(dc, dottedPen);
    HGDIOBJ brush = SelectObject(dc, hollowBrush);
    const int rop = SetROP2(dc, R2_MASKPENNOT);
    Rectangle(dc, band.x1, band.y1, band.x2, band.y2);
    SetROP2(dc, rop);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
}

void SetValues(HWND window, uint32_t width, uint32_t height) {
    SetDlgItemInt(window, IDC_CROP_W_VALUE, width, FALSE);
    SetDlgItemInt(window, IDC_CROP_H_VALUE, height, FALSE);
}

void Place(HWND window) {
    RECT r = {0, 0, 451, 300};
    // With the window's own styles: the modal frame and the client edge would otherwise take 4 pixels off the
    // client area and cut the preview's last column.
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    SizeWindowAtOrigin(window, r.right - r.left, r.bottom - r.top);
    const int scanWidth = TemplateForLanguage(50, 85, 65);
    const int exitLeft = TemplateForLanguage(390, 380, 390);
    const int exitWidth = TemplateForLanguage(50, 60, 50);
    const ControlPlace places[] = {
        {IDC_CROP_SCAN, 2, 263, scanWidth, 30}, {IDC_CROP_W_LABEL, 124, 263, 30, 30},
        {IDC_CROP_W_VALUE, 159, 263, 60, 25},   {IDC_CROP_H_LABEL, 229, 263, 30, 30},
        {IDC_CROP_H_VALUE, 264, 263, 60, 25},   {IDC_CROP_EXIT, exitLeft, 263, exitWidth, 30},
    };
    PlaceControls(window, places);
    CentreWindow(window);
}

void OnTimer(HWND window) {
    if (stepTaken) return;
    stepTaken = true;
    if (exitPending) {
        KillTimer(window, kCropTimer);
        exitPending = false;
        FreePreviewBuffers();
        EndDialog(window, 0);
    } else {
        if (windowState == kStateLoading && cropPreviewStep && cropPreviewStep(window, 1) == 1) {
            windowState = kStateComplete;
        }
        if (windowState == kStateComplete) {
            if (cropDisplayStep) cropDisplayStep(window, frame);
            InvalidateRect(window, nullptr, FALSE);
            EnableWindow(GetDlgItem(window, IDC_CROP_SCAN), TRUE);
            loading = false;
            KillTimer(window, kCropTimer);
            windowState = 0;
        }
    }
    stepTaken = false;
}

void OnScan(HWND window) {
    if (CropBandEmpty(band)) {
        MessageBoxA(window, MsgScanRange, CaptionError, MB_OK | MB_ICONWARNING);
        return;
    }
    cropRect = CropRectFromBand(band, rotate180 != 0);
    FreePreviewBuffers();
    busy = 1;
    ShowWaitCursor();
    EndDialog(window, 1);
}

}  // namespace

INT_PTR CALLBACK CropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            dottedPen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
            LOGBRUSH hollow = {BS_NULL, 0, 0};
            hollowBrush = CreateBrushIndirect(&hollow);
            exitPending = false;
            cropRect = RECT{0, 0, 0, 0};
            cropWindow = window;
            windowState = kStateLoading;
            previewStep = kStateLoading;
            EnableWindow(GetDlgItem(window, IDC_CROP_EXIT), TRUE);
            EnableWindow(GetDlgItem(window, IDC_CROP_SCAN), FALSE);
            frame = previewFrame;
            SetTimer(window, kCropTimer, 100, nullptr);
            band = CropBand{};
            dragging = false;
            loading = true;
            Place(window);
            return TRUE;
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (previewDisplay.pixels) {
                SetStretchBltMode(dc, COLORONCOLOR);
                StretchDIBits(dc, 0, 0, kPreviewWidth, kPreviewHeight, 0, 0, previewDisplay.header.biWidth,
                              previewDisplay.header.biHeight, previewDisplay.pixels,
                              reinterpret_cast<const BITMAPINFO*>(&previewDisplay.header), DIB_RGB_COLORS,
                              SRCCOPY);
            }
            DrawBand(dc);
            EndPaint(window, &paint);
            return TRUE;
        }
        case WM_TIMER:
            OnTimer(window);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_CROP_SCAN) {
                OnScan(window);
            } else if (LOWORD(wParam) == IDC_CROP_EXIT) {
                busy = 0;
                ShowArrowCursor();
                if (loading) {
                    exitPending = true;
                } else {
                    FreePreviewBuffers();
                    EndDialog(window, 0);
                }
            }
            return TRUE;
        case WM_LBUTTONDOWN: {
            const int32_t x = ClampPreviewX(static_cast<int16_t>(LOWORD(lParam)));
            const int32_t y = ClampPreviewY(static_cast<int16_t>(HIWORD(lParam)));
            band = CropBand{x, y, x, y};
            dragging = true;
            RedrawWindow(window, &kPreviewArea, nullptr, RDW_INVALIDATE);
            SetValues(window, 0, 0);
            SetCapture(window);
            return TRUE;
        }
        case WM_MOUSEMOVE:
            if (dragging && (wParam & MK_LBUTTON)) {
                InvalidateRect(window, &kPreviewArea, FALSE);
                band.x2 = ClampPreviewX(static_cast<int16_t>(LOWORD(lParam)));
                band.y2 = ClampPreviewY(static_cast<int16_t>(HIWORD(lParam)));
                LimitCropArea(band, CropAreaLimit(deviceBufferSize));
                HDC dc = GetDC(window);
                DrawBand(dc);
                ReleaseDC(window, dc);
                SetValues(window, CropWidthValue(band), CropHeightValue(band));
            }
            return TRUE;
        case WM_LBUTTONUP:
            dragging = false;
            RedrawWindow(window, &kPreviewArea, nullptr, RDW_INVALIDATE);
            ReleaseCapture();
            return TRUE;
        case WM_SETCURSOR:
            if (busy) {
                ShowWaitCursor();
            } else {
                ShowArrowCursor();
            }
            return TRUE;
        case WM_NCMOUSEMOVE:
            ShowArrowCursor();
            return TRUE;
        case WM_DESTROY:
            DeleteObject(dottedPen);
            DeleteObject(hollowBrush);
            dottedPen = nullptr;
            hollowBrush = nullptr;
            FreePreviewBuffers();
            return TRUE;
    }
    return FALSE;
}

}  // namespace lx9
