#include "filter/capture.h"

#include <algorithm>

#include "app/log.h"
#include "settings/gdi.h"

#ifndef PW_RENDERFULLCONTENT
#define PW_RENDERFULLCONTENT 0x00000002
#endif

namespace {

constexpr DWORD kScreenCopy = SRCCOPY | CAPTUREBLT;
constexpr std::uint64_t kUsabilitySamples = 4096;
// How long a frame waits for the target to answer before it skips.
constexpr UINT kTargetAnswerMs = 100;

bool copyScreen(const MirrorContext& context, int width, int height) {
    ScreenDC screen;
    if (!screen.get()) return false;
    BitBlt(context.memoryDC, 0, 0, width, height, screen.get(), context.source.left, context.source.top,
           kScreenCopy);
    return true;
}

bool captureArea(MirrorContext& context) {
    const int width = context.source.right - context.source.left;
    const int height = context.source.bottom - context.source.top;
    if (width < kMinCaptureSide || height < kMinCaptureSide) return false;
    ensureBackBuffer(context, width, height);
    if (!context.memoryDC) return false;
    return copyScreen(context, width, height);
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool captureWindow(MirrorContext& context) {
    HWND target = context.targetWindow;
    if (!canBeMirrored(target)) return false;
    RECT rect{};
    if (!GetWindowRect(target, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width < kMinCaptureSide || height < kMinCaptureSide) return false;
    // PrintWindow would hold this thread as long as a hung target: skip the
    // frame instead, and the mirror keeps its last picture.
    if (!SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerMs, nullptr)) return false;
    ensureBackBuffer(context, width, height);
    if (!context.memoryDC) return false;

    // Follow every change of the target's rectangle, not only a move, so a
    // resized target is not shown stretched into the old size.
    if (!sameRect(rect, context.source)) {
        context.source = rect;
        SetWindowPos(context.window, HWND_TOPMOST, rect.left, rect.top, width, height,
                     SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    }

    // Black first, so that a window that draws nothing is recognised. The
    // bits are plain memory once GDI is done with them, and clearing them
    // costs a fraction of a GDI fill.
    GdiFlush();
    std::fill_n(context.pixels, static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    if (PrintWindow(target, context.memoryDC, PW_RENDERFULLCONTENT) &&
        frameLooksUsable(context.pixels, context.bufferWidth, context.bufferHeight)) {
        context.fallbackLogged = false;
        return true;
    }

    // The window drew nothing we can use: show the screen pixels at its place.
    copyScreen(context, width, height);
    if (!context.fallbackLogged) {
        context.fallbackLogged = true;
        logLine(logtext::printWindowFallback);
    }
    return true;
}

}  // namespace

bool canBeMirrored(HWND window) { return window && IsWindow(window) && !IsIconic(window); }

std::uint64_t usabilitySampleStep(std::uint64_t pixelCount) {
    return pixelCount < kUsabilitySamples ? 1 : pixelCount / kUsabilitySamples;
}

bool frameLooksUsable(const std::uint32_t* pixels, int width, int height) {
    if (!pixels || width < 1 || height < 1) return true;
    const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t step = usabilitySampleStep(count);
    for (std::uint64_t index = 0; index < count; index += step) {
        if ((pixels[index] & 0x00FFFFFFu) != 0) return true;
    }
    return false;
}

void ensureBackBuffer(MirrorContext& context, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (width == context.bufferWidth && height == context.bufferHeight && context.memoryDC) return;
    releaseBackBuffer(context);

    context.memoryDC = CreateCompatibleDC(ScreenDC().get());
    std::uint32_t* pixels = nullptr;
    context.dibSection = createPixelBitmap(width, height, pixels);
    if (context.memoryDC && context.dibSection) {
        context.pixels = pixels;
        context.previousBitmap = SelectObject(context.memoryDC, context.dibSection);
        context.bufferWidth = width;
        context.bufferHeight = height;
    } else {
        releaseBackBuffer(context);
    }
}

MirrorContext::~MirrorContext() { releaseBackBuffer(*this); }

void releaseBackBuffer(MirrorContext& context) {
    // The DIB section must be deselected first or DeleteObject keeps it alive.
    if (context.memoryDC && context.previousBitmap) SelectObject(context.memoryDC, context.previousBitmap);
    context.previousBitmap = nullptr;
    context.pixels = nullptr;
    if (context.dibSection) {
        DeleteObject(context.dibSection);
        context.dibSection = nullptr;
    }
    if (context.memoryDC) {
        DeleteDC(context.memoryDC);
        context.memoryDC = nullptr;
    }
    context.bufferWidth = 0;
    context.bufferHeight = 0;
}

bool captureFrame(MirrorContext& context) {
    return context.followsWindow ? captureWindow(context) : captureArea(context);
}

void presentFrame(const MirrorContext& context, HDC dc) {
    if (!context.memoryDC) return;
    RECT client{};
    GetClientRect(context.window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;

    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, context.memoryDC, 0, 0, context.bufferWidth, context.bufferHeight, SRCCOPY);

    if (context.outline) drawFrame(dc, RECT{0, 0, width, height}, kOutlineColour, 1);
}
