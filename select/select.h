#pragma once

// Region selection: a full-screen overlay that shows a frozen, dimmed
// screenshot of the virtual screen, on which the user drags out the area
// that the filter mirrors or covers.

#include <windows.h>

#include <functional>

// The overlay's window, as other programs find it.
inline constexpr wchar_t kSelectClass[] = L"CP_Select";
inline constexpr wchar_t kSelectTitle[] = L"Clearpane select area";

// The Select Area command (menu command 4, hot key 3): opens the overlay;
// an accepted area is stored and the filter turned on over it, and `ended`
// runs after that (also after a cancel). The caller holds the filter's
// windows down meanwhile. False when the overlay could not be made: `ended`
// is then dropped unrun.
bool startRegionSelection(std::function<void()> ended);
// Ends this thread's open selection as Esc does, if one is open; its
// callback has run when this returns.
void cancelRegionSelection();
