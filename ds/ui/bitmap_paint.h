// Drawing a bitmap resource of the module as it stands, top left at (0, 0) of a device context.
#pragma once

#include <windows.h>

namespace lx9 {

// Loads bitmap `id`, copies width x height pixels to (0, 0) of dc (SRCCOPY) and frees it again.
void DrawBitmapResource(HDC dc, int id, int width, int height);

// WM_PAINT of the splash and About: the source's picture (bitmap 139, 322 x 242) at (0, 0).
void PaintSourcePicture(HWND window);

}  // namespace lx9
