#pragma once
// Shared by the filter engine's tests: helper windows of this process that
// paint known colours, screen read-back, window census, the hidden-overlay
// record, and a hidden main window for the controller. Header-only so that
// no build file changes.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/shell.h"
#include "filter/capture.h"
#include "filter/controller.h"
#include "filter/mirror_windows.h"
#include "settings/gdi.h"
#include "settings/settings.h"
#include "support/imports.h"
#include "support/overlay_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace fx {

// A rectangle that compares and prints, for readable expectations.
struct Box {
    LONG left, top, right, bottom;
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator<(const Box& other) const {
        return std::array<LONG, 4>{left, top, right, bottom} <
               std::array<LONG, 4>{other.left, other.top, other.right, other.bottom};
    }
};
inline void PrintTo(const Box& b, std::ostream* out) {
    *out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}
inline Box box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Box windowBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return box(r);
}

// Colour of a 32-bit DIB pixel (blue, green, red, ignored byte).
inline COLORREF colourOf(std::uint32_t pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
inline std::uint32_t pixelOf(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline void PrintTo(const Rgb& c, std::ostream* out) { *out << "RGB(" << c.r << "," << c.g << "," << c.b << ")"; }
inline Rgb rgb(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

inline COLORREF bufferPixel(const MirrorContext& context, int x, int y) {
    return colourOf(context.buffer.pixels()[static_cast<size_t>(y) * context.buffer.width() + x]);
}

// A copy of part of the screen, taken the way a capture would see it.
struct ScreenGrab {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    COLORREF at(int x, int y) const { return colourOf(pixels[static_cast<size_t>(y) * width + x]); }
};

inline ScreenGrab grabScreen(const RECT& area, HWND window = nullptr) {  // or a window's client area
    ScreenGrab grab;
    grab.width = area.right - area.left;
    grab.height = area.bottom - area.top;
    HDC screen = GetDC(window);
    MemoryCanvas canvas;
    if (canvas.makePixels(grab.width, grab.height)) {
        BitBlt(canvas.dc(), 0, 0, grab.width, grab.height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        grab.pixels.assign(canvas.pixels(), canvas.pixels() + static_cast<size_t>(grab.width) * grab.height);
    }
    ReleaseDC(window, screen);
    return grab;
}

inline COLORREF screenPixel(int x, int y) {
    const RECT one{x, y, x + 1, y + 1};
    return grabScreen(one).at(0, 0);
}

using ox::windowsOfClass;

inline std::vector<Box> sortedBoxes(const std::vector<HWND>& windows) {
    std::vector<Box> boxes;
    for (HWND w : windows) boxes.push_back(windowBox(w));
    std::sort(boxes.begin(), boxes.end());
    return boxes;
}

// The filter's windows of this process, hidden ones too, are those the state
// names, no two mirrors over one rectangle, and there are some only while on.
inline bool windowsAgreeWithState(const AppState& state) {
    auto mirrors = windowsOfClass(kMirrorClass, GetCurrentProcessId(), false), named = state.mirrorWindows;
    const auto covers = windowsOfClass(kCoverClass, GetCurrentProcessId(), false);
    std::sort(mirrors.begin(), mirrors.end());
    std::sort(named.begin(), named.end());
    const auto boxes = sortedBoxes(mirrors);
    return mirrors == named && std::adjacent_find(boxes.begin(), boxes.end()) == boxes.end() &&
           covers == (state.coverWindow ? std::vector{state.coverWindow} : std::vector<HWND>{}) &&
           state.filterActive != (mirrors.empty() && covers.empty());
}

inline MirrorContext* contextOf(HWND mirror) { return mirrorContext(mirror); }

// A top-most popup of this process that paints four quadrants: one set of
// colours on the screen (WM_PAINT) and another when asked to print itself
// (WM_PRINTCLIENT, which is what PrintWindow of an own window sends under
// Wine). With printing off it draws nothing there, leaving the black fill.
class PatternWindow {
public:
    using Quads = std::array<COLORREF, 4>;  // top-left, top-right, bottom-left, bottom-right

    PatternWindow(const RECT& rect, const Quads& onScreen, const Quads& whenPrinted, bool printRenders = true)
        : screen_(onScreen), print_(whenPrinted), printRenders_(printRenders) {
        window_ = ox::makeTestWindow(L"ClearpaneTestPattern", procedure,
                                     WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, rect, false);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
    ~PatternWindow() { destroy(); }
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    HWND get() const { return window_; }
    Box bounds() const { return windowBox(window_); }
    void setPrintRenders(bool on) { printRenders_ = on; }
    void repaint(const Quads& onScreen) {
        screen_ = onScreen;
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }
    void destroy() {
        if (!window_) return;
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    int printCount() const { return printCount_; }
    std::function<void()> onPrint;  // runs in every print, on the window's thread

    // Centre of a quadrant in screen coordinates.
    POINT quadrantCentre(int quadrant) const {
        const Box b = bounds();
        const LONG w = b.right - b.left, h = b.bottom - b.top;
        return {b.left + (quadrant % 2 ? 3 * w / 4 : w / 4), b.top + (quadrant / 2 ? 3 * h / 4 : h / 4)};
    }

private:
    static void paintQuadrants(HWND window, HDC dc, const Quads& colours) {
        RECT client{};
        GetClientRect(window, &client);
        const LONG midX = client.right / 2, midY = client.bottom / 2;
        const RECT parts[4] = {{0, 0, midX, midY},
                               {midX, 0, client.right, midY},
                               {0, midY, midX, client.bottom},
                               {midX, midY, client.right, client.bottom}};
        for (int i = 0; i < 4; ++i) {
            HBRUSH brush = CreateSolidBrush(colours[i]);
            FillRect(dc, &parts[i], brush);
            DeleteObject(brush);
        }
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (self) paintQuadrants(window, dc, self->screen_);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (self) {
                ++self->printCount_;
                if (self->onPrint) self->onPrint();
                if (self->printRenders_) paintQuadrants(window, reinterpret_cast<HDC>(wParam), self->print_);
            }
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    HWND window_ = nullptr;
    Quads screen_;
    Quads print_;
    bool printRenders_;
    int printCount_ = 0;
};

inline PatternWindow::Quads solid(COLORREF c) { return {c, c, c, c}; }

// True once every quadrant of the window shows its colour on the screen.
inline bool showsOnScreen(const PatternWindow& window, const PatternWindow::Quads& colours) {
    for (int q = 0; q < 4; ++q) {
        const POINT p = window.quadrantCentre(q);
        if (screenPixel(p.x, p.y) != colours[q]) return false;
    }
    return true;
}

// A hidden stand-in for the program's main window, owner of the peek timer.
// With mainWindowProc it answers WM_TIMER as the real one does; before it is
// destroyed its procedure is swapped out, so that WM_DESTROY does not run
// the program's shutdown path or post WM_QUIT into the test's thread.
class HiddenMainWindow {
public:
    explicit HiddenMainWindow(WNDPROC procedure)
        : window_(ox::makeTestWindow(L"ClearpaneTestMain", DefWindowProcW, WS_EX_TOOLWINDOW, RECT{}, false)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    }
    ~HiddenMainWindow() {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
        KillTimer(window_, kPeekTimerId);
        DestroyWindow(window_);
    }
    HiddenMainWindow(const HiddenMainWindow&) = delete;
    HiddenMainWindow& operator=(const HiddenMainWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The periods asked of the main window's timers, in order: a peek's end is
// then checked through its message, not by waiting for it.
// Off, the program's timers are only noted, so that a test fires each by its
// message and nothing ticks on its own.
inline std::vector<UINT> mainTimerPeriods;
inline bool realTimers = true;
inline UINT_PTR WINAPI noteTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC procedure);
inline const auto realSetTimer = imports::redirect("user32.dll", "SetTimer", &noteTimer);
inline UINT_PTR WINAPI noteTimer(HWND window, UINT_PTR id, UINT periodMs, TIMERPROC procedure) {
    if (window && window == appState.mainWindow) mainTimerPeriods.push_back(periodMs);
    if (!realTimers && window) return id;
    return realSetTimer(window, id, periodMs, procedure);
}

// A fresh global state of this process, with the filter's window classes
// registered and `mainWindow` as the main window.
inline void freshAppState(HWND mainWindow) {
    registerFilterWindowClasses(GetModuleHandleW(nullptr));
    appState = AppState{};
    appState.instance = GetModuleHandleW(nullptr);
    appState.mainWindow = mainWindow;
}

// Takes the filter down and returns the state to its initial values.
inline void resetFilterState(AppState& state) {
    stopFilter(state);
    if (state.mainWindow) KillTimer(state.mainWindow, kPeekTimerId);
    state = AppState{};
}

// The global state on a stand-in main window that runs mainWindowProc, with
// the test display's monitors, no settings and no log; afterwards no filter
// window is left.
class FilterFixture : public testing::Test {
protected:
    void SetUp() override {
        if (!platform::hasTestMonitors()) GTEST_SKIP() << platform::kNeedsTestMonitors;
        testenv::clearSettingsKey();
        testenv::deleteLog();
        freshAppState(main_.get());
    }
    void TearDown() override {
        resetFilterState(appState);
        EXPECT_TRUE(windowsOfClass(kMirrorClass, GetCurrentProcessId(), false).empty());
        EXPECT_TRUE(windowsOfClass(kCoverClass, GetCurrentProcessId(), false).empty());
    }

    HiddenMainWindow main_{mainWindowProc};
    AppState& state_ = appState;
};

inline RECT rect(LONG left, LONG top, LONG right, LONG bottom) { return RECT{left, top, right, bottom}; }

// The hidden-overlay record as stored, and as it would be for these handles
// (each in the 8 bytes this machine keeps it in).
inline std::optional<testenv::RawValue> storedRecord() { return testenv::value(kValueHiddenOverlays); }
inline std::uint64_t handleValue(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }
inline testenv::RawValue recordOf(std::initializer_list<std::uint64_t> handles) {
    std::vector<BYTE> bytes(handles.size() * sizeof(std::uint64_t));
    std::memcpy(bytes.data(), handles.begin(), bytes.size());
    return {REG_BINARY, bytes};
}

// A window of a second thread of this process: printing it waits on that
// thread, as printing another program's window does on Windows. WM_APP stops
// the thread answering until `awake` is set (or for 20 s at most); `asleep`
// is set meanwhile.
struct ThreadTarget {
    explicit ThreadTarget(std::function<void()> onPrint)
        : thread([this, onPrint] {
              PatternWindow pattern(rect(300, 200, 700, 500), solid(RGB(1, 1, 1)), solid(RGB(0, 0, 200)));
              pattern.onPrint = onPrint;
              window = pattern.get();
              MSG msg;
              while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                  if (msg.message == WM_APP) {
                      SignalObjectAndWait(asleep, awake, 20000, FALSE);
                      ResetEvent(asleep);
                  }
                  DispatchMessageW(&msg);
              }
          }) {
        waitUntil([this] { return window != nullptr; });
    }
    ~ThreadTarget() {
        SetEvent(awake);
        PostMessageW(window, WM_QUIT, 0, 0);
        thread.join();
        CloseHandle(awake);
        CloseHandle(asleep);
    }
    HANDLE awake = CreateEventW(nullptr, TRUE, TRUE, nullptr), asleep = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
    std::thread thread;  // last: starts once the fields exist
};

}  // namespace fx
