#include "filter/mirror_windows.h"

#include <memory>
#include <optional>
#include <utility>

#include "app/log.h"
#include "filter/controller.h"
#include "filter/operation.h"
#include "settings/geometry.h"
#include "settings/messages.h"
#include "settings/window_facts.h"

#ifndef WDA_EXCLUDEFROMCAPTURE
#define WDA_EXCLUDEFROMCAPTURE 0x00000011
#endif

namespace {

constexpr wchar_t kMirrorTitle[] = L"Clearpane mirror";
constexpr wchar_t kCoverTitle[] = L"Clearpane cover";
constexpr wchar_t kOutlineProperty[] = L"outline";
// Layered as well as transparent: only then do clicks and the wheel pass to
// other programs' windows beneath (HTTRANSPARENT alone passes them only to
// windows of this thread).
constexpr DWORD kFilterWindowExStyle =
    WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr UINT kAreaMirrorPeriodMs = 33;
constexpr UINT kWindowMirrorPeriodMs = 50;
constexpr COLORREF kCoverFill = RGB(16, 17, 20);
constexpr COLORREF kCoverFrame = RGB(52, 56, 63);
constexpr UINT kShowFlags = SWP_SHOWWINDOW | SWP_NOACTIVATE;

LRESULT CALLBACK mirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK coverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HWND createFilterWindow(const AppState& state, const wchar_t* className, const wchar_t* title, const RECT& rect) {
    const HWND window = CreateWindowExW(kFilterWindowExStyle, className, title, WS_POPUP, rect.left, rect.top,
                                        static_cast<int>(rectWidth(rect)), static_cast<int>(rectHeight(rect)),
                                        nullptr, nullptr, state.instance, nullptr);
    // Opaque and painted through WM_PAINT as before; never UpdateLayeredWindow,
    // whose windows captures are reported not to leave out.
    if (window) SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    return window;
}

void showTopmost(HWND window, const RECT& rect) {
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, static_cast<int>(rectWidth(rect)),
                 static_cast<int>(rectHeight(rect)), kShowFlags);
}

void excludeFromCapture(HWND window) {
    if (!SetWindowDisplayAffinity(window, WDA_EXCLUDEFROMCAPTURE)) logLine(logtext::affinityFailed);
}

// Before Windows 10 version 2004 (build 19041) the exclusion call succeeds,
// but every capture shows the mirror black. RtlGetVersion, unlike
// GetVersionExW, reports the true version whatever the manifest says.
bool capturesShowMirrorBlack() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!getVersion || getVersion(&version) != 0) return false;
    return version.dwMajorVersion < 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber < 19041);
}

// The presenter hears of it once a run, when a mirror first goes up.
void warnOnceWhenCapturesShowMirrorBlack(const AppState& state) {
    // The version is asked once: a Windows that hides the mirror has nothing to say.
    static bool said = !capturesShowMirrorBlack();
    if (said) return;
    said = true;
    logLine(logtext::capturesShowMirrorBlack);
    // Posted: the main window shows it once no menu or selection is in the way.
    PostMessageW(state.mainWindow, kShowBoxMessage, kBoxCapturesShowMirrorBlack, 0);
}

void presentNow(const MirrorContext& context) {
    if (HDC dc = GetDC(context.window)) {
        presentFrame(context, dc);
        ReleaseDC(context.window, dc);
    }
}

// The window's share of its context, on the heap behind GWLP_USERDATA.
using MirrorShare = std::shared_ptr<MirrorContext>;

MirrorShare* shareOf(HWND window) { return windowRecord<MirrorShare>(window); }

// One frame: capture, and present what is new. Printing the target waits on
// its thread, and whatever is sent to us meanwhile may drop the mirror: the
// frame's own share keeps the context until it ends.
void refreshMirror(MirrorShare frame) {
    MirrorContext& context = *frame;
    if (context.capturing) return;
    FilterOperation operation(appState);
    context.capturing = true;
    const bool fresh = captureFrame(context);
    context.capturing = false;
    // Dropped meanwhile, the mirror is gone or going: nothing to show.
    if (fresh && mirrorContext(context.window) == &context) presentNow(context);
}

// Creates, attaches, shows and starts one mirror: its window holds the
// context, and the state names the window.
bool putUpMirror(AppState& state, const MirrorShare& context, UINT periodMs) {
    HWND window = createFilterWindow(state, kMirrorClass, kMirrorTitle, context->source);
    if (!window) return false;
    context->window = window;
    attachWindowRecord(window, new MirrorShare(context));
    excludeFromCapture(window);
    warnOnceWhenCapturesShowMirrorBlack(state);
    showTopmost(window, context->source);
    SetTimer(window, kMirrorTimerId, periodMs, nullptr);
    state.mirrorWindows.push_back(window);
    refreshMirror(context);
    return true;
}

}  // namespace

MirrorContext* mirrorContext(HWND mirror) {
    const MirrorShare* share = shareOf(mirror);
    return share ? share->get() : nullptr;
}

void dropMirrorContext(HWND mirror) {
    delete attachWindowRecord<MirrorShare>(mirror, nullptr);
}

void registerFilterWindowClasses(HINSTANCE instance) {
    registerWindowClass(instance, kMirrorClass, mirrorWindowProc, IDC_ARROW, CS_DBLCLKS);
    registerWindowClass(instance, kCoverClass, coverWindowProc, IDC_ARROW, CS_DBLCLKS);
}

BOOL CALLBACK createAreaMirror(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    AppState& state = *reinterpret_cast<AppState*>(data);
    const std::optional<RECT> part = partOnMonitor(state.region, monitorRect(monitor));
    if (!part) return TRUE;

    const auto context = std::make_shared<MirrorContext>();
    context->followsWindow = false;
    context->source = *part;
    context->outline = state.outline;
    putUpMirror(state, context, kAreaMirrorPeriodMs);
    return TRUE;
}

bool createWindowMirror(AppState& state) {
    RECT rect{};
    GetWindowRect(state.targetWindow, &rect);
    if (!hasMinimumSize(rect, kMinMonitorOverlap)) return false;

    const auto context = std::make_shared<MirrorContext>();
    context->followsWindow = true;
    context->targetWindow = state.targetWindow;
    context->source = rect;
    context->outline = state.outline;
    return putUpMirror(state, context, kWindowMirrorPeriodMs);
}

void createCoverWindow(AppState& state) {
    // A cover left up unnamed would stay on the screen with nothing to take it down.
    if (const HWND old = std::exchange(state.coverWindow, nullptr); old && IsWindow(old)) DestroyWindow(old);
    const std::optional<RECT> part = partOnMonitor(state.region, nearestMonitorRect(rectCentre(state.region)));
    if (!part) return;

    state.coverWindow = createFilterWindow(state, kCoverClass, kCoverTitle, *part);
    if (!state.coverWindow) return;
    SetPropW(state.coverWindow, kOutlineProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(state.outline ? 1 : 0)));
    showTopmost(state.coverWindow, *part);
}

namespace {

void paintCover(HWND window) {
    const WindowPaint paint(window);
    fillSolid(paint.dc(), paint.client(), kCoverFill);
    if (GetPropW(window, kOutlineProperty)) {
        const GdiObject frame(CreateSolidBrush(kCoverFrame));
        FrameRect(paint.dc(), &paint.client(), frame.get());
    }
}

// What mirrors and the cover answer alike: never erased, never activated,
// and transparent to every click.
LRESULT filterWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_NCDESTROY:
        // Destroyed from here or by any program: what it holds goes with it,
        // a mirror's context or the cover's outline mark.
        dropMirrorContext(window);
        RemovePropW(window, kOutlineProperty);
        [[fallthrough]];
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK mirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const WindowPaint paint(window);
        if (const MirrorContext* context = mirrorContext(window)) presentFrame(*context, paint.dc());
        return 0;
    }
    case WM_TIMER:
        if (const MirrorShare* share = shareOf(window)) refreshMirror(*share);
        return 0;
    default:
        return filterWindowDefault(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK coverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintCover(window);
        return 0;
    default:
        return filterWindowDefault(window, message, wParam, lParam);
    }
}

}  // namespace
