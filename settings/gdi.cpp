#include "settings/gdi.h"

bool MemoryCanvas::select(HDC dc, HBITMAP bitmap, int width, int height) {
    dc_ = dc;
    bitmap_ = bitmap;
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
    if (!previous_) {
        release();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

bool MemoryCanvas::make(HDC like, int width, int height) {
    release();
    return select(CreateCompatibleDC(like), CreateCompatibleBitmap(like, width, height), width, height);
}

bool MemoryCanvas::makePixels(int width, int height) {
    release();
    std::uint32_t* pixels = nullptr;
    if (!select(CreateCompatibleDC(ScreenDC().get()), createPixelBitmap(width, height, pixels), width, height)) {
        return false;
    }
    pixels_ = pixels;
    return true;
}

void MemoryCanvas::release() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    previous_ = nullptr;
    pixels_ = nullptr;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
    width_ = height_ = 0;
}

HBITMAP createPixelBitmap(int width, int height, std::uint32_t*& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(ScreenDC().get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && !bits) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    pixels = bitmap ? static_cast<std::uint32_t*>(bits) : nullptr;
    return bitmap;
}

void fillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const GdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

void drawFrame(HDC dc, const RECT& rect, COLORREF colour, int width) {
    const GdiObject pen(CreatePen(PS_SOLID, width, colour));
    const SelectedObject penSelected(dc, pen.get());
    const SelectedObject noFill(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}
