#include "filter/capture.h"

#include <algorithm>

#include "app/log.h"
#include "settings/geometry.h"

namespace {

constexpr int kMinCaptureSide = 8;
constexpr COLORREF kOutlineColour = RGB(64, 68, 76);
constexpr std::uint64_t kUsabilitySamples = 4096;
// How long a frame waits for the target to answer before it skips.
constexpr UINT kTargetAnswerMs = 100;

bool copyScreen(const MirrorContext& context, int width, int height) {
    ScreenDC screen;
    if (!screen.get()) return false;
    BitBlt(context.buffer.dc(), 0, 0, width, height, screen.get(), context.source.left, context.source.top,
           kScreenCopy);
    return true;
}

bool captureArea(MirrorContext& context) {
    if (!hasMinimumSize(context.source, kMinCaptureSide)) return false;
    const int width = static_cast<int>(rectWidth(context.source));
    const int height = static_cast<int>(rectHeight(context.source));
    ensureBackBuffer(context, width, height);
    if (!context.buffer.dc()) return false;
    return copyScreen(context, width, height);
}

bool captureWindow(MirrorContext& context) {
    HWND target = context.targetWindow;
    if (!canBeMirrored(target)) return false;
    RECT rect{};
    if (!GetWindowRect(target, &rect)) return false;
    if (!hasMinimumSize(rect, kMinCaptureSide)) return false;
    const int width = static_cast<int>(rectWidth(rect));
    const int height = static_cast<int>(rectHeight(rect));
    // PrintWindow would hold this thread as long as a hung target: skip the
    // frame instead, and the mirror keeps its last picture.
    if (!SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTargetAnswerMs, nullptr)) return false;
    ensureBackBuffer(context, width, height);
    if (!context.buffer.dc()) return false;

    // Follow every change of the target's rectangle, not only a move, so a
    // resized target is not shown stretched into the old size.
    if (!EqualRect(&rect, &context.source)) {
        context.source = rect;
        SetWindowPos(context.window, HWND_TOPMOST, rect.left, rect.top, width, height,
                     SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    }

    // Black first, so that a window that draws nothing is recognised. The
    // bits are plain memory once GDI is done with them, and clearing them
    // costs a fraction of a GDI fill.
    GdiFlush();
    std::fill_n(context.buffer.pixels(), static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    if (PrintWindow(target, context.buffer.dc(), PW_RENDERFULLCONTENT) &&
        frameLooksUsable(context.buffer.pixels(), width, height)) {
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
    const MemoryCanvas& buffer = context.buffer;
    if (width <= 0 || height <= 0 || (buffer.dc() && width == buffer.width() && height == buffer.height())) return;
    context.buffer.makePixels(width, height);
}

bool captureFrame(MirrorContext& context) {
    return context.followsWindow ? captureWindow(context) : captureArea(context);
}

void presentFrame(const MirrorContext& context, HDC dc) {
    if (!context.buffer.dc()) return;
    RECT client{};
    GetClientRect(context.window, &client);
    const int width = static_cast<int>(rectWidth(client));
    const int height = static_cast<int>(rectHeight(client));
    if (width <= 0 || height <= 0) return;

    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, context.buffer.dc(), 0, 0, context.buffer.width(), context.buffer.height(),
               SRCCOPY);

    if (context.outline) drawFrame(dc, RECT{0, 0, width, height}, kOutlineColour, 1);
}
