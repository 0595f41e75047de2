#pragma once

#include <windows.h>

#include "filter/capture.h"
#include "settings/settings.h"

inline constexpr wchar_t kMirrorClass[] = L"CP_Mirror";
inline constexpr wchar_t kCoverClass[] = L"CP_Solid";
// A mirror's one timer, its refresh: started when the mirror is made, and
// gone with the window.
enum MirrorTimer : UINT_PTR { kMirrorTimerId = 1 };

void registerFilterWindowClasses(HINSTANCE instance);

// EnumDisplayMonitors callback; data is the AppState.
BOOL CALLBACK createAreaMirror(HMONITOR monitor, HDC, LPRECT, LPARAM data);
// Mirror over state.targetWindow; true when it was created and shown.
bool createWindowMirror(AppState& state);
// Cover over the part of the region on the monitor nearest its centre.
void createCoverWindow(AppState& state);

// The context a mirror holds; null once dropped.
MirrorContext* mirrorContext(HWND mirror);
// Takes a mirror's context off its window; a frame under way keeps it
// until the frame ends.
void dropMirrorContext(HWND mirror);
