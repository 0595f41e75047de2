// Cost of one mirror frame (captureFrame + presentFrame) beside the bare
// platform calls it is made of, measured in the same run on the same sizes,
// the process's GDI objects and memory after many frames, the cost of
// overlay hiding (overlay_bench.cpp) and of the selection overlay
// (select_bench.cpp).
//
// Usage: clearpane_bench [frames-for-the-leak-check]   (default 10000)
//        clearpane_bench --select   (the selection overlay over the virtual screen only)
//        clearpane_bench --cycles [cycles]   (filter on/off cycles and peeks only; default 1000)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "tests/support/census.h"
#include "bench/cycles_bench.h"
#include "bench/overlay_bench.h"
#include "bench/select_bench.h"
#include "bench/timing.h"
#include "filter/capture.h"
#include "settings/gdi.h"

namespace {

// A 32-bit top-down DIB section in a memory DC, as the mirror holds it.
struct Dib : MemoryCanvas {
    Dib(int width, int height) { makePixels(width, height); }
};

// A picture such as an editor or a browser draws: a shaded page, a side bar
// of coloured entries, a chart line and screens full of text.
void drawDocument(HDC dc, const RECT& client) {
    TRIVERTEX corners[2] = {{0, 0, 0xF400, 0xF600, 0xFA00, 0}, {client.right, client.bottom, 0xDC00, 0xE200, 0xEC00, 0}};
    GRADIENT_RECT span{0, 1};
    GdiGradientFill(dc, corners, 2, &span, 1, GRADIENT_FILL_RECT_V);
    for (int i = 0; i < 40; ++i) {
        HBRUSH brush = CreateSolidBrush(RGB(40 + i * 5, 90 + (i * 37) % 120, 200 - i * 3));
        const RECT entry{16, 16 + i * 26, 240, 36 + i * 26};
        FillRect(dc, &entry, brush);
        DeleteObject(brush);
    }
    POINT chart[400];
    for (int i = 0; i < 400; ++i) chart[i] = {280 + i * 4, 200 + ((i * 73) % 97) - ((i * 31) % 53)};
    Polyline(dc, chart, 400);
    HFONT font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    static const wchar_t line[] =
        L"The quarterly figures show steady growth in every region, with the strongest gains where the new "
        L"service launched first; costs stayed flat while the support queue shrank by a third.";
    for (int y = 320; y + 18 < client.bottom; y += 19) {
        RECT row{280, y, client.right - 16, y + 19};
        DrawTextW(dc, line + (y / 19) % 40, -1, &row, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

// Target of the one-window path: draws itself in WM_PRINTCLIENT, as an own
// window must for PrintWindow under Wine.
LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(window, &client);
        drawDocument(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK blankProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Layered and opaque, as a mirror is: presenting pays what the mirror pays.
HWND makeWindow(const wchar_t* className, int x, int y, int width, int height) {
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className,
                                  L"bench", WS_POPUP, x, y, width, height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                  nullptr);
    SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    pumpMessages();
    return window;
}

void registerClasses() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpfnWndProc = targetProc;
    wc.lpszClassName = L"BenchTarget";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = blankProc;
    wc.lpszClassName = L"BenchBlank";
    RegisterClassExW(&wc);
}

// The mirror's timer path: capture, then present through GetDC.
void mirrorPresent(const MirrorContext& context) {
    HDC dc = GetDC(context.window);
    presentFrame(context, dc);
    ReleaseDC(context.window, dc);
}

struct Row {
    double capture, present, bareCapture, barePresent, copy;
};

void printRow(const char* label, const Row& r) {
    std::printf("%-22s %9.3f %9.3f %9.3f %9.3f %9.3f %7.2f\n", label, r.capture, r.present, r.bareCapture,
                r.barePresent, r.copy, (r.capture + r.present) / (r.bareCapture + r.barePresent));
}

Row measureArea(int width, int height, int frames) {
    Row row{};
    HWND window = makeWindow(L"BenchBlank", 0, 0, width, height);
    MirrorContext context;
    context.window = window;
    context.source = RECT{0, 0, width, height};
    context.outline = true;
    Dib dib(width, height);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    const auto medians = medianMs(frames, {
        [&] { captureFrame(context); },
        [&] { mirrorPresent(context); },
        [&] {
            HDC screen = GetDC(nullptr);
            BitBlt(dib.dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
            ReleaseDC(nullptr, screen);
        },
        [&] {
            HDC dc = GetDC(window);
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, width, height, dib.dc(), 0, 0, width, height, SRCCOPY);
            ReleaseDC(window, dc);
        },
        [&] { std::memcpy(bytes.data(), dib.pixels(), bytes.size()); },
    });
    row = Row{medians[0], medians[1], medians[2], medians[3], medians[4]};

    context.buffer.release();
    DestroyWindow(window);
    pumpMessages();
    return row;
}

Row measureOneWindow(int width, int height, int frames) {
    Row row{};
    HWND target = makeWindow(L"BenchTarget", 0, 0, width, height);
    HWND window = makeWindow(L"BenchBlank", 0, 0, width, height);
    MirrorContext context;
    context.window = window;
    context.followsWindow = true;
    context.targetWindow = target;
    GetWindowRect(target, &context.source);
    context.outline = true;
    Dib dib(width, height);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    const auto medians = medianMs(frames, {
        [&] { captureFrame(context); },
        [&] { mirrorPresent(context); },
        [&] { PrintWindow(target, dib.dc(), PW_RENDERFULLCONTENT); },
        [&] {
            HDC dc = GetDC(window);
            BitBlt(dc, 0, 0, width, height, dib.dc(), 0, 0, SRCCOPY);
            ReleaseDC(window, dc);
        },
        [&] { std::memcpy(bytes.data(), dib.pixels(), bytes.size()); },
    });
    row = Row{medians[0], medians[1], medians[2], medians[3], medians[4]};

    context.buffer.release();
    DestroyWindow(window);
    DestroyWindow(target);
    pumpMessages();
    return row;
}

// Mirror frames as the timers make them: an area mirror and a one-window
// mirror, each capture + present, with the area's size changing now and then
// so that the buffer is also re-created.
void leakCheck(int totalFrames) {
    HWND areaWindow = makeWindow(L"BenchBlank", 0, 0, 648, 480);
    HWND target = makeWindow(L"BenchTarget", 700, 0, 320, 240);
    HWND windowMirror = makeWindow(L"BenchBlank", 700, 0, 320, 240);
    MirrorContext area;
    area.window = areaWindow;
    area.source = RECT{0, 0, 640, 480};
    MirrorContext one;
    one.window = windowMirror;
    one.followsWindow = true;
    one.targetWindow = target;
    GetWindowRect(target, &one.source);

    std::printf("\n%-14s %12s %14s %14s\n", "after frames", "GDI objects", "private MB", "working set MB");
    int done = 0;
    for (const int checkpoint : {100, totalFrames}) {
        for (; done < checkpoint; ++done) {
            area.source.right = (done / 250) % 2 ? 648 : 640;
            if (captureFrame(area)) mirrorPresent(area);
            if (captureFrame(one)) mirrorPresent(one);
            if (done % 16 == 0) pumpMessages();
        }
        GdiFlush();
        const GdiCount gdi = liveGdiObjects();
        const Memory memory = memoryNow();
        std::printf("%-14d %12lu %14.1f %14.1f   (%s)\n", checkpoint, static_cast<unsigned long>(gdi.value),
                    memory.privateMb, memory.workingSetMb, gdi.method);
    }
    area.buffer.release();
    one.buffer.release();
    DestroyWindow(windowMirror);
    DestroyWindow(target);
    DestroyWindow(areaWindow);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--select") == 0) {
        runSelectionBench(true);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--cycles") == 0) {
        runCycleBench(argc > 2 ? std::max(10, std::atoi(argv[2])) : 1000);
        return 0;
    }
    const int leakFrames = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    registerClasses();

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::printf("primary screen %dx%d; medians in ms per frame\n\n", screenWidth, screenHeight);
    std::printf("%-22s %9s %9s %9s %9s %9s %7s\n", "area mirror", "capture", "present", "BitBlt", "blit 1:1",
                "memcpy", "ratio");
    struct Size {
        int width, height, frames;
    };
    for (const Size size : {Size{640, 480, 200}, Size{1920, 1080, 100}, Size{3840, 2160, 30}}) {
        char label[32];
        std::snprintf(label, sizeof label, "%dx%d", size.width, size.height);
        if (size.width > screenWidth || size.height > screenHeight) {
            std::printf("%-22s skipped: larger than the screen\n", label);
            continue;
        }
        printRow(label, measureArea(size.width, size.height, size.frames));
    }
    std::printf("\n%-22s %9s %9s %9s %9s %9s %7s\n", "one-window mirror", "capture", "present", "PrintWin",
                "blit 1:1", "memcpy", "ratio");
    const Row window = measureOneWindow(1920, 1080, 100);
    printRow("1920x1080", window);
    std::printf("\nratio = (mirror capture + present) / (bare capture + bare present)\n");
    std::printf("goal window-frame-1080p ratio %.2f\n",
                (window.capture + window.present) / (window.bareCapture + window.barePresent));

    std::printf("\n");
    runOverlayBench();

    std::printf("\n");
    if (!censusWorks()) std::printf("warning: the GDI census does not follow created and deleted objects\n");
    leakCheck(leakFrames);
    runSelectionBench(false);
    return 0;
}
