#include "filter/controller.h"

#include "app/log.h"
#include "filter/capture.h"
#include "filter/windows.h"
#include "overlays/overlays.h"

namespace {

bool regionOnSomeMonitor(const AppState& state) {
    MonitorProbe probe{&state.region, false};
    EnumDisplayMonitors(nullptr, nullptr, regionTouchesMonitor, reinterpret_cast<LPARAM>(&probe));
    return probe.found;
}

void rebuildIfActive(AppState& state) {
    if (!state.filterActive) return;
    stopFilter(state);
    startFilter(state);
}

void takeWholeVirtualScreen(AppState& state) {
    const RECT screen = virtualScreenRect();
    if (!isUsableRegion(screen)) return;
    state.region = screen;
    state.hasRegion = true;
    saveCurrentSettings(state);
    rebuildIfActive(state);
}

void cancelPeek(AppState& state) {
    // An explicit on or off outranks a pending peek: its timer must not
    // switch the filter back on afterwards.
    if (state.mainWindow) KillTimer(state.mainWindow, kPeekTimerId);
    state.peekTimer = 0;
}

}  // namespace

BOOL CALLBACK regionTouchesMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& probe = *reinterpret_cast<MonitorProbe*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    if (hasMinimumSize(clipRect(*probe.region, info.rcMonitor), kMinMonitorOverlap)) {
        probe.found = true;
        return FALSE;
    }
    return TRUE;
}

bool targetUsable(const AppState& state) {
    return state.targetWindow && IsWindow(state.targetWindow) && !IsIconic(state.targetWindow);
}

void initFilterEngine(AppState& state, HINSTANCE instance, HWND mainWindow) {
    state.instance = instance;
    state.mainWindow = mainWindow;
    registerFilterWindowClasses(instance);
    const Settings settings = loadSettings();
    state.style = settings.style;
    state.outline = settings.outline;
    state.hideOverlays = settings.hideOverlays;
    state.hasRegion = settings.hasRegion;
    state.region = settings.region;
}

void setFilterActive(AppState& state, bool on) {
    cancelPeek(state);
    if (on && state.style == FilterStyle::OneWindow && !targetUsable(state)) {
        state.filterActive = false;
        saveCurrentSettings(state);
        stopFilter(state);
        logLine(logtext::windowModeNoTarget);
        return;
    }
    if (on && state.hasRegion && regionOnSomeMonitor(state)) {
        state.filterActive = true;
        saveCurrentSettings(state);
        stopFilter(state);
        startFilter(state);
        return;
    }
    state.filterActive = false;
    saveCurrentSettings(state);
    stopFilter(state);
}

void startFilter(AppState& state) {
    if (!state.hasRegion) return;
    if (state.hideOverlays && state.style != FilterStyle::SolidCover) hideOverlayWindows(state);

    switch (state.style) {
    case FilterStyle::SolidCover:
        createCoverWindow(state);
        return;
    case FilterStyle::OneWindow:
        if (state.targetWindow && IsWindow(state.targetWindow)) {
            if (createWindowMirror(state)) logLine(logtext::windowMirrorShown);
        } else {
            logLine(logtext::windowMirrorTargetGone);
        }
        return;
    default:
        EnumDisplayMonitors(nullptr, nullptr, createAreaMirror, reinterpret_cast<LPARAM>(&state));
        logLine(logtext::areaMirrorPresented);
        return;
    }
}

void stopFilter(AppState& state) {
    for (HWND window : state.mirrorWindows) {
        if (!IsWindow(window)) continue;
        KillTimer(window, kMirrorTimerId);
        // Detached first so that no message sent while the window is destroyed reaches freed memory.
        const auto context = detachMirrorContext(window);
        DestroyWindow(window);
    }
    state.mirrorWindows.clear();

    if (state.coverWindow && IsWindow(state.coverWindow)) DestroyWindow(state.coverWindow);
    state.coverWindow = nullptr;

    if (state.peekTimer != 0) {
        KillTimer(state.mainWindow, kPeekTimerId);
        state.peekTimer = 0;
    }
    restoreOverlayWindows(state);
}

void restartFilter(AppState& state) { rebuildIfActive(state); }

void pauseFilterWindows(AppState& state, bool pause) {
    if (!state.filterActive) return;
    if (pause) {
        stopFilter(state);
    } else {
        startFilter(state);
    }
}

void startPeek(AppState& state) {
    if (!state.filterActive) return;
    stopFilter(state);
    state.peekTimer = SetTimer(state.mainWindow, kPeekTimerId, kPeekDurationMs, nullptr);
}

void applySavedEnabled(AppState& state) {
    const Settings saved = loadSettings();
    if (saved.enabled && state.hasRegion && state.style != FilterStyle::OneWindow) setFilterActive(state, true);
}

void shutdownFilter(AppState& state) {
    // Killed, not only forgotten: a peek's timer would otherwise bring the filter back.
    cancelPeek(state);
    stopFilter(state);
    restoreOverlayWindows(state);
}

void toggleFilter(AppState& state) {
    if (state.filterActive) {
        setFilterActive(state, false);
    } else if (state.hasRegion) {
        setFilterActive(state, true);
    } else {
        takeWholeVirtualScreen(state);
        setFilterActive(state, true);
    }
}

void useWholeScreen(AppState& state) {
    takeWholeVirtualScreen(state);
    setFilterActive(state, true);
}

void setFilterStyle(AppState& state, FilterStyle style) {
    if (style == state.style) return;
    const bool wasActive = state.filterActive;
    if (wasActive) stopFilter(state);
    state.style = style;
    if (style != FilterStyle::OneWindow) {
        state.targetWindow = nullptr;
        state.targetTitle.clear();
    }
    saveCurrentSettings(state);
    if (wasActive) startFilter(state);
}

void setWindowTarget(AppState& state, HWND window, const std::wstring& title) {
    state.targetWindow = window;
    state.targetTitle = title;
    if (!window || IsIconic(window)) return;
    RECT rect{};
    GetWindowRect(window, &rect);
    if (!isUsableRegion(rect)) return;
    state.region = rect;
    state.hasRegion = true;
    saveCurrentSettings(state);
    rebuildIfActive(state);
}

void setRegion(AppState& state, const RECT& region) {
    if (!isUsableRegion(region)) return;
    state.hasRegion = true;
    state.region = region;
    saveCurrentSettings(state);
    rebuildIfActive(state);
}

void setOutline(AppState& state, bool outline) {
    if (outline == state.outline) return;
    state.outline = outline;
    saveCurrentSettings(state);
    rebuildIfActive(state);
}

void setHideOverlays(AppState& state, bool hideOverlays) {
    if (hideOverlays == state.hideOverlays) return;
    state.hideOverlays = hideOverlays;
    saveCurrentSettings(state);
    rebuildIfActive(state);
}
