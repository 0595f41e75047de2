#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "settings/window_helpers.h"

// One window that one-window mode can mirror.
struct WindowTarget {
    HWND window = nullptr;  // not owned, not checked again after collection
    std::wstring title;     // at full length, as read when collected
};

// The picker list of the last menu built: entry i answers kCommandFirstWindow + i.
extern std::vector<WindowTarget> windowTargets;

inline constexpr std::size_t kMaxWindowTargets = 40;
inline constexpr std::size_t kMaxWindowMenuItems = 20;
inline constexpr std::size_t kLongestMenuTitle = 60;
inline constexpr std::size_t kShortenedTitleKeep = 57;
inline constexpr int kMinTargetWidth = 120;
inline constexpr int kMinTargetHeight = 90;

// Whether a window with these facts is offered, for a picker in process ownProcessId.
bool isMirrorCandidate(const WindowFacts& facts, DWORD ownProcessId);
// A title cut to kShortenedTitleKeep units and "…" when longer than
// kLongestMenuTitle; a surrogate pair is never cut in half.
std::wstring shortenedTitle(const std::wstring& title);
// Menu text that shows as the text itself: "&" is doubled, so it is no mnemonic.
std::wstring menuEscaped(const std::wstring& text);

// EnumWindows callback: appends the candidates to the
// std::vector<WindowTarget> that `targets` points to.
BOOL CALLBACK windowTargetEnumProc(HWND window, LPARAM targets);
// The candidates in Z order, frontmost first, at most kMaxWindowTargets.
std::vector<WindowTarget> collectWindowTargets();
