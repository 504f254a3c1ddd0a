// What the main window's files share among themselves (not for the workflows: they use main_window.h).
#pragma once

#include <windows.h>

#include <cstdint>

namespace lx9 {

extern int32_t selectAllMode;  // set by the popup's select-all, cleared by the next plain cell click
extern int32_t ctrlHeld;       // Ctrl was down when the current command arrived

// Cells are numbered 0..24 here (cell n + 1 on the screen).
int FrameOfCell(int cell);        // the frame the cell shows on the current page
int ShownCellOfFrame(int frame);  // the cell showing frame on the current page, or -1
void MarkCell(HWND window, int cell, bool marked);
void MarkShownSelection(HWND window, bool marked);

void ClickCell(HWND window, int cell);
void SelectAll(HWND window);

void DrawCellButton(const DRAWITEMSTRUCT& item);
void DrawBitmapButton(const DRAWITEMSTRUCT& item);

// WM_COMMAND: the command table.
void RunCommand(HWND window, int id, int code);

// The popup menu, kept with the window.
HMENU PopupMenuOf(HWND window);

}  // namespace lx9
