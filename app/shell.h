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

void registerHotKeys(HWND window);
void unregisterHotKeys(HWND window);
