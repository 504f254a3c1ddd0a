// The cells of the main window: marks, clicks and selection, drawing the index images, page switching.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "chain/global_memory.h"
#include "twain/source_state.h"
#include "ui/crop_window.h"
#include "ui/main_internal.h"
#include "ui/main_layout.h"
#include "ui/main_state.h"
#include "ui/main_window.h"
#include "ui/workflows/workflow_state.h"

namespace lx9 {

int32_t selectAllMode = 0;
int32_t ctrlHeld = 0;

namespace {

constexpr RECT kMarkRect{1, 1, 115, 67};
constexpr COLORREF kMarkColour = RGB(255, 0, 0);

HWND Control(HWND window, int id) {
    return GetDlgItem(window, id);
}

bool ValidFrame(int frame) {
    return frame >= 1 && frame <= kMaxFrames;
}

bool HasImage(int frame) {
    return ValidFrame(frame) && HasIndexPixels(indexImages[frame]);
}

bool IsSelected(int frame) {
    for (int i = 0; i < kMaxFrames && selectedFrames[i] != 0; ++i) {
        if (selectedFrames[i] == frame) return true;
    }
    return false;
}

void ClearSelection() {
    std::fill(selectedFrames, selectedFrames + kMaxFrames, 0);
}

void SetCellLabel(HWND window, int cell, int frame) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d", MainTextsOfLanguage().labelPrefix, frame);
    SetWindowTextA(Control(window, cellControls[cell].label), text);
}

void ShowCellControls(HWND window, int cell, bool show, bool withLabel) {
    const int command = show ? SW_SHOW : SW_HIDE;
    ShowWindow(Control(window, cellControls[cell].button), command);
    ShowWindow(Control(window, cellControls[cell].frame), command);
    if (withLabel) ShowWindow(Control(window, cellControls[cell].label), command);
}

void SwitchPage(HWND window, int32_t second) {
    secondPage = second;
    for (int cell = 0; cell < kSecondPageCells; ++cell) {
        SetCellLabel(window, cell, cell + 1 + (second ? kPageOffset : 0));
    }
    for (int cell = kSecondPageCells; cell < kCells; ++cell) ShowCellControls(window, cell, !second, false);

    for (int cell = 0; cell < kCells; ++cell) {
        if (HasImage(FrameOfCell(cell)))
            InvalidateRect(Control(window, cellControls[cell].button), nullptr, TRUE);
    }
    for (int cell = 0; cell < kCells; ++cell) {
        if (HasImage(cell + 1) || HasImage(cell + 1 + kPageOffset)) {
            InvalidateRect(Control(window, cellControls[cell].button), nullptr, FALSE);
        }
    }

    // Unmark what belonged to the other page first, so that a cell showing a selected frame stays marked.
    for (int i = 0; i < kMaxFrames && selectedFrames[i] != 0; ++i) {
        const int frame = selectedFrames[i];
        if (ShownCellOfFrame(frame) < 0) MarkCell(window, (frame - 1) % kPageOffset, false);
    }
    MarkShownSelection(window, true);

    for (int cell = kSecondPageCells; cell < kCells; ++cell) {
        ShowWindow(Control(window, cellControls[cell].label), second ? SW_HIDE : SW_SHOW);
    }
    if (selectAllMode) {
        if (second) {
            for (int cell = kSecondPageCells; cell < kCells; ++cell) MarkCell(window, cell, false);
        } else {
            for (int cell = 0; cell < kCells; ++cell) MarkCell(window, cell, true);
        }
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}

}  // namespace

int FrameOfCell(int cell) {
    return cell + 1 + (secondPage ? kPageOffset : 0);
}

int ShownCellOfFrame(int frame) {
    if (!ValidFrame(frame)) return -1;
    if (!secondPage) return frame <= kPageOffset ? frame - 1 : -1;
    return frame > kPageOffset ? frame - kPageOffset - 1 : -1;
}

void MarkCell(HWND window, int cell, bool marked) {
    if (cell < 0 || cell >= kCells) return;
    HWND frame = Control(window, cellControls[cell].frame);
    if (frame == nullptr) return;
    HDC dc = GetDC(frame);
    HBRUSH brush = CreateSolidBrush(marked ? kMarkColour : GetSysColor(COLOR_BTNFACE));
    FrameRect(dc, &kMarkRect, brush);
    DeleteObject(brush);
    ReleaseDC(frame, dc);
}

void MarkShownSelection(HWND window, bool marked) {
    for (int i = 0; i < kMaxFrames && selectedFrames[i] != 0; ++i) {
        const int cell = ShownCellOfFrame(selectedFrames[i]);
        if (cell >= 0) MarkCell(window, cell, marked);
    }
}

void ClickCell(HWND window, int cell) {
    if (selectAllMode) {
        if (!ctrlHeld) {
            for (int n = 0; n < kCells; ++n) MarkCell(window, n, false);
            selectAllMode = 0;
        }
    } else if (!ctrlHeld && selectedFrames[0] != 0) {
        MarkShownSelection(window, false);
    }
    MarkCell(window, cell, true);

    const int frame = FrameOfCell(cell);
    if (!ctrlHeld) {
        ClearSelection();
        selectedFrames[0] = frame;
        return;
    }
    // A Ctrl-click adds a frame behind the last one; a frame already there is not added twice.
    const bool known = IsSelected(frame);
    const int end = SelectionLength();
    selectedFrames[end] = frame;
    if (known) selectedFrames[end] = 0;
}

void SelectAll(HWND window) {
    if (selectAllMode) return;
    selectAllMode = 1;
    ClearSelection();
    const int count = std::min<int>(frameCount, kMaxFrames);
    for (int frame = 1; frame <= count; ++frame) {
        if (frame <= kPageOffset) MarkCell(window, frame - 1, true);
        selectedFrames[frame - 1] = frame;
    }
    ctrlHeld = 0;
}

void DrawCellButton(const DRAWITEMSTRUCT& item) {
    const int cell = CellOfButton(static_cast<int>(item.CtlID));
    const int frame = cell >= 0 ? FrameOfCell(cell) : 0;
    if (!HasImage(frame)) {
        // A cell without an image is blank, never the picture the other page left in it.
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const IndexImage& image = indexImages[frame];
    HDC dc = GetDC(item.hwndItem);
    SetStretchBltMode(dc, COLORONCOLOR);
    SetDIBitsToDevice(dc, 0, 0, image.header.biWidth, image.header.biHeight, 0, 0, 0, image.header.biHeight,
                      image.pixels, reinterpret_cast<const BITMAPINFO*>(&image.header), DIB_RGB_COLORS);
    ReleaseDC(item.hwndItem, dc);
}

void DrawBitmapButton(const DRAWITEMSTRUCT& item) {
    const bool eject = item.CtlID == IDC_MAIN_EJECT;
    int bitmapId = eject ? IDB_EJECT_NORMAL : IDB_TURN_NORMAL;
    if (item.itemState & ODS_SELECTED) {
        bitmapId = eject ? IDB_EJECT_PRESSED : IDB_TURN_PRESSED;
    } else if (item.itemState & ODS_DISABLED) {
        bitmapId = eject ? IDB_EJECT_DISABLED : IDB_TURN_DISABLED;
    }
    HBITMAP bitmap = LoadBitmapA(moduleInstance, MAKEINTRESOURCEA(bitmapId));
    if (bitmap == nullptr) return;  // no picture to show: the button stays as it is
    HDC memory = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(item.hDC, 0, 0, 16, 16, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

void ShowFirstPage(HWND window) {
    SwitchPage(window, 0);
}

void ShowSecondPage(HWND window) {
    SwitchPage(window, 1);
}

void InvalidateFrameCell(HWND window, int frame) {
    const int cell = ShownCellOfFrame(frame);
    if (cell >= 0) InvalidateRect(Control(window, cellControls[cell].button), nullptr, TRUE);
}

void FreeIndexImages() {
    for (IndexImage& image : indexImages) {
        FreeLockedBlock(image.pixels);
        image.pixels = nullptr;
    }
    FreeIndexWorkImages();
    FreePreviewBuffers();  // the error report's release reaches the preview through here too
}

bool AnySelectedWithoutIndexImage() {
    for (int i = 0; i < kMaxFrames && selectedFrames[i] != 0; ++i) {
        if (!HasImage(selectedFrames[i])) return true;
    }
    return false;
}

bool AnyFrameWithoutIndexImage() {
    const int count = std::min<int>(frameCount, kMaxFrames);
    for (int frame = 1; frame <= count; ++frame) {
        if (!HasImage(frame)) return true;
    }
    return false;
}

void SortSelection() {
    // The frames of the first 41 entries (where a selection can reach), ascending; everything else cleared.
    int32_t frames[kMaxFrames + 1];
    int n = 0;
    for (int i = 0; i <= kMaxFrames; ++i) {
        if (selectedFrames[i] > 0) frames[n++] = selectedFrames[i];
    }
    std::sort(frames, frames + n);
    std::fill(selectedFrames, selectedFrames + kSelectionSlots, 0);
    std::copy(frames, frames + n, selectedFrames);
}

}  // namespace lx9
