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

// The whole run: start-up, message loop, shutdown. Returns the exit code.
int runClearpane(HINSTANCE instance);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void registerHotKeys(HWND window);
void unregisterHotKeys(HWND window);
