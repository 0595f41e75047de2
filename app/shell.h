#pragma once

#include <windows.h>

#include "app/ids.h"

inline constexpr wchar_t kMainClass[] = L"CP_Main";
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\Clearpane.Instance";

// Process-wide values of the shell. The main window's handle has one home,
// appState.mainWindow.
extern HANDLE instanceMutex;
extern HICON idleIcon;
extern HICON filteredIcon;

// Whether the single-instance mutex, as CreateMutexW left it, belongs to a running copy.
bool anotherCopyRuns(HANDLE mutex, DWORD error);

// The whole run: start-up, message loop, shutdown. Returns the exit code.
int runClearpane(HINSTANCE instance);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Command 1 and hot key 1: toggles the filter, or asks for a window to mirror.
void hideAnnotations();
// The tray icon and its tip show the state: after every arrival handled, and at start-up.
void trayFollowsState();
// A menu, box or selection has ended: what waited for it arrives again.
void situationEnded();
// From here on nothing goes up again: the selection is cancelled, the menu
// and the box close, the filter comes down and hidden overlays come back.
void beginEnding();

void registerHotKeys(HWND window);
void unregisterHotKeys(HWND window);
