#pragma once

// Region selection: a full-screen overlay that shows a frozen, dimmed
// screenshot of the virtual screen, on which the user drags out the area
// that the filter mirrors or covers.

#include <windows.h>

#include <functional>

// The overlay's window, as other programs find it.
inline constexpr wchar_t kSelectClass[] = L"CP_Select";
inline constexpr wchar_t kSelectTitle[] = L"Clearpane select area";

// The Select Area command (menu command 4, hot key 3): takes the filter
// down while the user selects, then stores the area and turns the filter on,
// or brings back what was there before; `ended` runs after that.
// state.selectionOpen holds while the overlay is up.
void startRegionSelection(std::function<void()> ended = {});
// Ends this thread's open selection as Esc does, if one is open; its
// callback has run when this returns.
void cancelRegionSelection();
