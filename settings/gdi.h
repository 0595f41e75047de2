#pragma once
// Owners of GDI handles for the filter, the selection, the tests and the
// benchmarks: each handle is made and freed in one place, in the order GDI
// needs, so that no release path can be missed.

#include <windows.h>

#include <cstdint>

// How the filter and the selection copy the screen. No CAPTUREBLT: with it
// Windows hides and shows the mouse cursor at every copy, and at 30 frames a
// second the presenter's cursor blinks. The desktop is always composed, so a
// plain copy already holds layered windows.
inline constexpr DWORD kScreenCopy = SRCCOPY;

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

// A memory device context with nothing of its own selected, deleted with its owner.
class MemoryDC {
public:
    explicit MemoryDC(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A window's paint for one scope: BeginPaint's context and the client area.
class WindowPaint {
public:
    explicit WindowPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {
        GetClientRect(window, &client_);
    }
    ~WindowPaint() { EndPaint(window_, &paint_); }
    WindowPaint(const WindowPaint&) = delete;
    WindowPaint& operator=(const WindowPaint&) = delete;
    HDC dc() const { return dc_; }
    const RECT& client() const { return client_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
    RECT client_{0, 0, 0, 0};
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

// A pen, brush, font, region or bitmap, deleted with its owner. Declared
// before a SelectedObject of it, it is put back before it is deleted.
template <typename Handle = HGDIOBJ>
class GdiObject {
public:
    explicit GdiObject(Handle object = nullptr) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return object_; }
    // Deletes what it held and holds this instead.
    void reset(Handle object) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    Handle object_;
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
    // The bitmap's size; zero without one.
    int width() const { return width_; }
    int height() const { return height_; }

private:
    bool select(HDC dc, HBITMAP bitmap, int width, int height);

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A 32-bit top-down DIB section compatible with the screen, and its bits
// (blue, green, red and an unused byte a pixel); null when it cannot be made.
HBITMAP createPixelBitmap(int width, int height, std::uint32_t*& pixels);

// A rectangle filled with a solid colour.
void fillSolid(HDC dc, const RECT& rect, COLORREF colour);
// The outline of a rectangle: a solid pen of this width, nothing filled.
void drawFrame(HDC dc, const RECT& rect, COLORREF colour, int width);
