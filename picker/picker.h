#pragma once
// The windows one-window mode can mirror, offered as the "Mirror a Window…"
// submenu.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// One window that one-window mode can mirror.
struct WindowTarget {
    HWND window = nullptr;  // not owned, not checked again after collection
    std::wstring title;     // at full length, as read when collected
};

inline constexpr std::size_t kMaxWindowTargets = 40;
inline constexpr std::size_t kMaxWindowMenuItems = 20;

// The candidates in Z order, frontmost first, at most kMaxWindowTargets.
std::vector<WindowTarget> collectWindowTargets();
// A title cut to 57 units and "…" when longer than 60; a surrogate pair is
// never cut in half.
std::wstring shortenedTitle(const std::wstring& title);
// Menu text that shows as the text itself: "&" is doubled, so it is no mnemonic.
std::wstring menuEscaped(const std::wstring& text);
