#include "settings/gdi.h"

bool MemoryCanvas::make(HDC like, int width, int height) {
    release();
    dc_ = CreateCompatibleDC(like);
    bitmap_ = CreateCompatibleBitmap(like, width, height);
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
    if (previous_) return true;
    release();
    return false;
}

void MemoryCanvas::release() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    previous_ = nullptr;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
}

void drawFrame(HDC dc, const RECT& rect, COLORREF colour, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, colour);
    {
        const SelectedObject penSelected(dc, pen);
        const SelectedObject noFill(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    DeleteObject(pen);
}
