#include "ui/bitmap_paint.h"

#include "ui/res/startup_ids.h"
#include "twain/source_state.h"

namespace lx9 {

void DrawBitmapResource(HDC dc, int id, int width, int height) {
    HBITMAP bitmap = LoadBitmapA(moduleInstance, MAKEINTRESOURCEA(id));
    if (!bitmap) return;
    if (HDC memory = CreateCompatibleDC(dc)) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
}

void PaintSourcePicture(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    DrawBitmapResource(dc, IDB_SPLASH, 322, 242);
    EndPaint(window, &paint);
}

}  // namespace lx9
