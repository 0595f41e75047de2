#include "filter/controller.h"

#include <utility>
#include <vector>

#include "app/log.h"
#include "filter/capture.h"
#include "filter/mirror_windows.h"
#include "filter/operation.h"
#include "overlays/overlays.h"

namespace {

// Up only while the filter is on, not held down and no peek runs.
bool windowsWanted(const AppState& state) { return state.filterActive && !state.filterHeld && state.peekTimer == 0; }

// Puts up exactly the windows the state asks for, never a second set. Asked
// for inside another filter operation, it runs once that has returned.
void syncFilterWindows(AppState& state) {
    if (state.filterBusy > 0) {
        if (!state.filterSyncPosted && state.mainWindow) {
            state.filterSyncPosted = PostMessageW(state.mainWindow, kFilterSyncMessage, 0, 0) != FALSE;
        }
        return;
    }
    state.filterSyncPosted = false;  // this sync answers a request still queued
    stopFilter(state);
    if (windowsWanted(state)) startFilter(state);
}

// Stores a usable region; false, and nothing changed, for one under 24 × 24.
bool storeRegion(AppState& state, const RECT& region) {
    if (!isUsableRegion(region)) return false;
    state.region = region;
    state.hasRegion = true;
    return true;
}

// A changed choice is saved at once, and the windows follow it.
void saveAndRebuild(AppState& state) {
    saveCurrentSettings(state);
    restartFilter(state);
}

template <typename Choice>
void changeChoice(AppState& state, Choice& field, Choice value) {
    if (field == value) return;
    field = value;
    saveAndRebuild(state);
}

void cancelPeek(AppState& state) {
    // An explicit on or off outranks a pending peek: its timer must not
    // switch the filter back on afterwards.
    if (state.mainWindow) KillTimer(state.mainWindow, kPeekTimerId);
    state.peekTimer = 0;
}

}  // namespace

bool targetUsable(const AppState& state) { return canBeMirrored(state.targetWindow); }

void initFilterEngine(AppState& state, HINSTANCE instance, HWND mainWindow) {
    state.instance = instance;
    state.mainWindow = mainWindow;
    registerFilterWindowClasses(instance);
    static_cast<FilterChoices&>(state) = loadSettings();
}

void setFilterActive(AppState& state, bool on) {
    cancelPeek(state);
    if (on && state.style == FilterStyle::OneWindow && !targetUsable(state)) {
        state.filterActive = false;
        saveCurrentSettings(state);
        syncFilterWindows(state);
        logLine(logtext::windowModeNoTarget);
        return;
    }
    state.filterActive = on && state.hasRegion && onSomeMonitor(state.region);
    saveCurrentSettings(state);
    syncFilterWindows(state);
}

void startFilter(AppState& state) {
    if (!state.hasRegion) return;
    FilterOperation operation(state);
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
    FilterOperation operation(state);
    // Out of the state before any window goes: whatever runs meanwhile finds
    // nothing left to take down twice.
    const std::vector<HWND> mirrors = std::exchange(state.mirrorWindows, {});
    const HWND cover = std::exchange(state.coverWindow, nullptr);
    for (HWND window : mirrors) {
        if (!IsWindow(window)) continue;
        // Its timer goes with it. Dropped first so that no message sent while
        // the window is destroyed reaches freed memory.
        dropMirrorContext(window);
        DestroyWindow(window);
    }
    if (cover && IsWindow(cover)) DestroyWindow(cover);
    restoreOverlayWindows(state);
}

void restartFilter(AppState& state) {
    if (!state.filterActive) return;
    // The monitors may have moved away from the region: then the filter is
    // off, as turning it on would have left it.
    if (!onSomeMonitor(state.region)) {
        state.filterActive = false;
        saveCurrentSettings(state);
    }
    syncFilterWindows(state);
}

void holdFilterWindows(AppState& state, bool held) {
    if (held == state.filterHeld) return;
    state.filterHeld = held;
    // Whatever holds the windows ends a peek: they come back on release.
    if (held) cancelPeek(state);
    syncFilterWindows(state);
}

void runPostedFilterSync(AppState& state) {
    if (state.filterSyncPosted) syncFilterWindows(state);
}

void startPeek(AppState& state) {
    if (!state.filterActive) return;
    state.peekTimer = SetTimer(state.mainWindow, kPeekTimerId, kPeekDurationMs, nullptr);
    syncFilterWindows(state);
}

void endPeek(AppState& state) { setFilterActive(state, true); }

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
        return;
    }
    // Turning on saves and rebuilds once, a region taken here with the rest.
    if (!state.hasRegion) storeRegion(state, virtualScreenRect());
    setFilterActive(state, true);
}

void useWholeScreen(AppState& state) {
    storeRegion(state, virtualScreenRect());
    setFilterActive(state, true);
}

void setFilterStyle(AppState& state, FilterStyle style) {
    if (style == state.style) return;
    if (style != FilterStyle::OneWindow) {
        state.targetWindow = nullptr;
        state.targetTitle.clear();
    }
    changeChoice(state, state.style, style);
}

void setWindowTarget(AppState& state, HWND window, const std::wstring& title) {
    state.targetWindow = window;
    state.targetTitle = title;
    if (!window || IsIconic(window)) return;
    RECT rect{};
    GetWindowRect(window, &rect);
    if (storeRegion(state, rect)) saveAndRebuild(state);
}

void setRegion(AppState& state, const RECT& region) {
    if (storeRegion(state, region)) saveAndRebuild(state);
}

void setOutline(AppState& state, bool outline) { changeChoice(state, state.outline, outline); }

void setHideOverlays(AppState& state, bool hideOverlays) { changeChoice(state, state.hideOverlays, hideOverlays); }
