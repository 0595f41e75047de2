#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "settings/window_helpers.h"

// ---- the hidden-overlay record ---------------------------------------------
// Every window this program hides is named in the registry before it goes,
// so that a run that ends without showing it again (a crash, a forced end)
// leaves the next run a list of what to show.

// The recorded handles, oldest first; empty when there is no valid record.
std::vector<HWND> readHiddenOverlayRecord();
// Appends the handle unless it is already recorded. True when the record
// names the window afterwards: a window must not be hidden otherwise.
bool addToHiddenOverlayRecord(HWND window);
// Drops every entry of the handle; the value goes with its last entry.
void removeFromHiddenOverlayRecord(HWND window);
void deleteHiddenOverlayRecord();
// Start-up: shows what an earlier run hid and never showed again.
void restorePreviousRunOverlays();

// ---- overlay detection and hiding ------------------------------------------

// Smallest overlay (each side, inclusive) and the share of its monitor that
// it must cover (more than this).
inline constexpr int kMinOverlaySide = 200;
inline constexpr double kMinOverlayCoverage = 0.45;

// Shell and system classes that never count as overlays, whatever they look like.
inline constexpr std::wstring_view kExcludedOverlayClasses[] = {
    L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"SysShadow", L"DV2ControlHost",
};
inline constexpr std::wstring_view kExcludedOverlayClassPrefix = L"Windows.UI.Core";

// Whether a window with these facts looks like a drawing layer of another
// program laid over a monitor.
bool isOverlayWindow(const WindowFacts& facts, DWORD ownProcessId);

// EnumWindows callback: appends qualifying windows to the
// std::vector<HWND> that `candidates` points to. Always goes on.
BOOL CALLBACK classifyOverlayWindow(HWND window, LPARAM candidates);

// Hides overlay-like windows of other programs while a mirror is up.
void hideOverlayWindows(AppState& state);
// Shows again every window this run hid.
void restoreOverlayWindows(AppState& state);
