#pragma once
// Which windows of other programs count as annotation overlays.

#include <windows.h>

#include <string_view>

#include "settings/window_facts.h"

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
