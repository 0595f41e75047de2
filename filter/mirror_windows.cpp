#include "filter/mirror_windows.h"

#include <memory>
#include <optional>
#include <utility>

#include "app/log.h"
#include "filter/capture.h"
#include "filter/controller.h"
#include "filter/operation.h"
#include "settings/messages.h"
#include "settings/window_facts.h"

#ifndef WDA_EXCLUDEFROMCAPTURE
#define WDA_EXCLUDEFROMCAPTURE 0x00000011
#endif

namespace {

constexpr UINT kShowFlags = SWP_SHOWWINDOW | SWP_NOACTIVATE;

HWND createFilterWindow(const AppState& state, const wchar_t* className, const wchar_t* title, const RECT& rect) {
    return CreateWindowExW(kFilterWindowExStyle, className, title, WS_POPUP, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, state.instance,
                           nullptr);
}

void showTopmost(HWND window, const RECT& rect) {
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 kShowFlags);
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
    static bool warned = false;
    if (warned || !capturesShowMirrorBlack()) return;
    warned = true;
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

// Creates, attaches, shows and starts one mirror; the state then owns it.
bool putUpMirror(AppState& state, std::unique_ptr<MirrorContext> context, UINT periodMs) {
    HWND window = createFilterWindow(state, kMirrorClass, kMirrorTitle, context->source);
    if (!window) return false;
    context->window = window;
    MirrorContext* attached = context.release();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(attached));
    excludeFromCapture(window);
    warnOnceWhenCapturesShowMirrorBlack(state);
    showTopmost(window, attached->source);
    SetTimer(window, kMirrorTimerId, periodMs, nullptr);
    state.mirrorWindows.push_back(window);
    refreshMirror(*attached);
    return true;
}

MirrorContext* contextOf(HWND window) {
    return reinterpret_cast<MirrorContext*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

void refreshMirror(MirrorContext& context) {
    if (context.inFrame) return;
    FilterOperation operation(appState);
    // Printing the target waits on its thread, and whatever is sent to us
    // meanwhile may drop this mirror: the record lives until the frame ends.
    context.inFrame = true;
    const bool fresh = captureFrame(context);
    context.inFrame = false;
    if (context.dropped) {
        delete &context;
    } else if (fresh) {
        presentNow(context);
    }
}

void dropMirrorContext(HWND mirror) {
    MirrorContext* context = contextOf(mirror);
    SetWindowLongPtrW(mirror, GWLP_USERDATA, 0);
    if (context && context->inFrame) {
        context->dropped = true;
    } else {
        delete context;
    }
}

void registerFilterWindowClasses(HINSTANCE instance) {
    registerWindowClass(instance, kMirrorClass, mirrorWindowProc, IDC_ARROW, CS_DBLCLKS);
    registerWindowClass(instance, kCoverClass, coverWindowProc, IDC_ARROW, CS_DBLCLKS);
}

BOOL CALLBACK createAreaMirror(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    AppState& state = *reinterpret_cast<AppState*>(data);
    const std::optional<RECT> part = partOnMonitor(state.region, monitorRect(monitor));
    if (!part) return TRUE;

    auto context = std::make_unique<MirrorContext>();
    context->followsWindow = false;
    context->source = *part;
    context->outline = state.outline;
    putUpMirror(state, std::move(context), kAreaMirrorPeriodMs);
    return TRUE;
}

bool createWindowMirror(AppState& state) {
    RECT rect{};
    GetWindowRect(state.targetWindow, &rect);
    if (!hasMinimumSize(rect, kMinMonitorOverlap)) return false;

    auto context = std::make_unique<MirrorContext>();
    context->followsWindow = true;
    context->targetWindow = state.targetWindow;
    context->source = rect;
    context->outline = state.outline;
    return putUpMirror(state, std::move(context), kWindowMirrorPeriodMs);
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
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    HBRUSH fill = CreateSolidBrush(kCoverFill);
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    if (GetPropW(window, kOutlineProperty)) {
        HBRUSH frame = CreateSolidBrush(kCoverFrame);
        FrameRect(dc, &client, frame);
        DeleteObject(frame);
    }
    EndPaint(window, &paint);
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
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK mirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (const MirrorContext* context = contextOf(window)) presentFrame(*context, dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        if (MirrorContext* context = contextOf(window)) refreshMirror(*context);
        return 0;
    case WM_NCDESTROY:
        // Destroyed from outside (any program may close it): its buffer goes with it.
        dropMirrorContext(window);
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return filterWindowDefault(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK coverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintCover(window);
        return 0;
    case WM_NCDESTROY:
        RemovePropW(window, kOutlineProperty);
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return filterWindowDefault(window, message, wParam, lParam);
    }
}
