#pragma once

#include <windows.h>

#include "filter/capture.h"

#include "settings/settings.h"

inline constexpr wchar_t kMirrorClass[] = L"CP_Mirror";
inline constexpr wchar_t kCoverClass[] = L"CP_Solid";
inline constexpr wchar_t kMirrorTitle[] = L"Clearpane mirror";
inline constexpr wchar_t kCoverTitle[] = L"Clearpane cover";
inline constexpr wchar_t kOutlineProperty[] = L"outline";

inline constexpr DWORD kFilterWindowExStyle =
    WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
inline constexpr UINT_PTR kMirrorTimerId = 1;
inline constexpr UINT kAreaMirrorPeriodMs = 33;
inline constexpr UINT kWindowMirrorPeriodMs = 50;
inline constexpr COLORREF kCoverFill = RGB(16, 17, 20);
inline constexpr COLORREF kCoverFrame = RGB(52, 56, 63);

void registerFilterWindowClasses(HINSTANCE instance);

// EnumDisplayMonitors callback; data is the AppState.
BOOL CALLBACK createAreaMirror(HMONITOR monitor, HDC, LPRECT, LPARAM data);
// Mirror over state.targetWindow; true when it was created and shown.
bool createWindowMirror(AppState& state);
// Cover over the part of the region on the monitor nearest its centre.
void createCoverWindow(AppState& state);

// One frame of a mirror: capture, and present what is new.
void refreshMirror(MirrorContext& context);
// Takes a mirror's context off its window and frees it (or leaves that to
// its frame, when one waits inside its capture).
void dropMirrorContext(HWND mirror);

LRESULT CALLBACK mirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK coverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
