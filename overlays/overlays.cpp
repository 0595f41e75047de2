#include "overlays/overlays.h"

#include <algorithm>
#include <utility>

#include "app/log.h"
#include "overlays/detection.h"
#include "overlays/record.h"

namespace {

// GetClassNameW never reports more than this (terminator included).
constexpr int kClassNameCapacity = 256;

bool isExcludedClass(std::wstring_view name) {
    return name.starts_with(kExcludedOverlayClassPrefix) ||
           std::find(std::begin(kExcludedOverlayClasses), std::end(kExcludedOverlayClasses), name) !=
               std::end(kExcludedOverlayClasses);
}

}  // namespace

bool isOverlayWindow(const WindowFacts& facts, DWORD ownProcessId) {
    if (!shownWindowOfAnother(facts, ownProcessId)) return false;
    if (isExcludedClass(facts.className)) return false;
    if (!(facts.exStyle & WS_EX_TOPMOST)) return false;
    if (!(facts.exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT))) return false;
    if (!(facts.exStyle & WS_EX_TOOLWINDOW)) return false;
    if (!hasMinimumSize(facts.rect, kMinOverlaySide)) return false;

    const long long monitorWidth = rectWidth(facts.monitor), monitorHeight = rectHeight(facts.monitor);
    if (monitorWidth <= 0 || monitorHeight <= 0) return false;
    // Doubles: 64-bit products of far-flung coordinates could still wrap.
    const RECT covered = clipRect(facts.rect, facts.monitor);
    const double coveredArea = static_cast<double>(rectWidth(covered)) * static_cast<double>(rectHeight(covered));
    const double monitorArea = static_cast<double>(monitorWidth) * static_cast<double>(monitorHeight);
    return coveredArea / monitorArea > kMinOverlayCoverage;
}

namespace {

bool looksLikeOverlay(HWND window) {
    WindowFacts facts;
    if (!readShownWindowFacts(window, facts)) return false;
    // A failed call leaves the name empty, which no exclusion matches.
    wchar_t className[kClassNameCapacity] = {};
    GetClassNameW(window, className, kClassNameCapacity);
    facts.className = className;
    GetWindowRect(window, &facts.rect);
    facts.monitor = nearestMonitorRect(rectCentre(facts.rect));
    return isOverlayWindow(facts, GetCurrentProcessId());
}

}  // namespace

void hideOverlayWindows(AppState& state) {
    auto& hidden = state.hiddenOverlays;
    for (HWND window : topLevelWindows()) {
        if (!looksLikeOverlay(window)) continue;
        if (std::find(hidden.begin(), hidden.end(), window) != hidden.end()) continue;
        // Named in the registry before it disappears, or left alone: a window
        // hidden without a record would stay hidden after a crash.
        if (!addToHiddenOverlayRecord(window)) continue;
        // Async: a program that does not answer must not hold this thread.
        ShowWindowAsync(window, SW_HIDE);
        hidden.push_back(window);
        logLine(logtext::hidOverlay);
    }
}

void restoreOverlayWindows(AppState& state) {
    // Out of the state first: anything that runs meanwhile sees nothing hidden.
    const std::vector<HWND> hidden = std::exchange(state.hiddenOverlays, {});
    for (HWND window : hidden) {
        showHiddenWindowAgain(window);
        removeFromHiddenOverlayRecord(window);
    }
}
