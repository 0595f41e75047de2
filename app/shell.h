#pragma once

#include <windows.h>

#include "app/ids.h"

inline constexpr wchar_t kMainClass[] = L"CP_Main";
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\Clearpane.Instance";

// Whether the single-instance mutex, as CreateMutexW left it, belongs to a running copy.
bool anotherCopyRuns(HANDLE mutex, DWORD error);

// The whole run: start-up, message loop, shutdown. Returns the exit code.
int runClearpane(HINSTANCE instance);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The tray icon and its tip show the state: after every arrival handled, and at start-up.
void trayFollowsState();
// A menu, box or selection has ended: what waited for it arrives again.
void situationEnded();
// From here on nothing goes up again: the selection is cancelled, the menu
// and the box close, the filter comes down and hidden overlays come back.
void beginEnding();

// Every box the program shows, in front and with the keyboard: the filter
// windows are top-most, and a box beneath them could only be answered blindly.
void showInformationBox(const wchar_t* body, const wchar_t* caption);
// Puts the open box back above filter windows shown after it.
void keepOpenBoxOnTop();
// Answers the open box with OK.
void closeOpenBox();

void registerHotKeys(HWND window);
void unregisterHotKeys(HWND window);
