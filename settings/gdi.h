#pragma once
// Owners of GDI handles for the filter, the selection, the tests and the
// benchmarks: each handle is made and freed in one place, in the order GDI
// needs, so that no release path can be missed.

#include <windows.h>

#include <cstdint>

// The screen's device context for one scope.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a device context for one scope; what the context
// held before comes back at its end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A pen, brush, font or bitmap, deleted with its owner.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// A memory device context with a bitmap selected into it: one compatible
// with another context, or a 32-bit top-down DIB section whose pixels can be
// read. Released, the bitmap is put back first: one still selected would
// outlive its DeleteObject.
class MemoryCanvas {
public:
    MemoryCanvas() = default;
    ~MemoryCanvas() { release(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // Each is false, and keeps nothing, when the context or the bitmap cannot be made.
    bool make(HDC like, int width, int height);
    bool makePixels(int width, int height);
    void release();
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    // Blue, green, red and an unused byte each, row after row from the top.
    std::uint32_t* pixels() const { return pixels_; }

private:
    bool select(HDC dc, HBITMAP bitmap);

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

// A 32-bit top-down DIB section compatible with the screen, and its bits
// (blue, green, red and an unused byte a pixel); null when it cannot be made.
HBITMAP createPixelBitmap(int width, int height, std::uint32_t*& pixels);

// The outline of a rectangle: a solid pen of this width, nothing filled.
void drawFrame(HDC dc, const RECT& rect, COLORREF colour, int width);
