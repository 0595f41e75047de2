#pragma once

#include <windows.h>

#include <string>

#include "settings/messages.h"
#include "settings/settings.h"

inline constexpr UINT kPeekDurationMs = 5000;

// Start-up step: remembers the handles, registers the filter window classes
// and copies the persisted fields (all but `enabled`) into the state.
void initFilterEngine(AppState& state, HINSTANCE instance, HWND mainWindow);

// One-window mode can mirror its target: it is set, still exists and is not minimised.
bool targetUsable(const AppState& state);

void setFilterActive(AppState& state, bool on);
void startFilter(AppState& state);
void stopFilter(AppState& state);
void restartFilter(AppState& state);
// Holds the windows down (the shell's menu, a selection, the ending) or lets
// them come back when the filter is on; the state and settings stay as they are.
void holdFilterWindows(AppState& state, bool held);
// The main window's answer to kFilterSyncMessage.
void runPostedFilterSync(AppState& state);
// Takes the windows down for kPeekDurationMs; the timer's arrival ends it.
void startPeek(AppState& state);
void endPeek(AppState& state);
void applySavedEnabled(AppState& state);
void shutdownFilter(AppState& state);
void toggleFilter(AppState& state);
void useWholeScreen(AppState& state);
void setFilterStyle(AppState& state, FilterStyle style);
void setWindowTarget(AppState& state, HWND window, const std::wstring& title);
void setRegion(AppState& state, const RECT& region);
void setOutline(AppState& state, bool outline);
void setHideOverlays(AppState& state, bool hideOverlays);
