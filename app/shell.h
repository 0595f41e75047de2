#pragma once

#include <windows.h>

#include <string>

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

// Registers the five hot keys and logs each that another program holds;
// returns those (bit 1 << id).
unsigned registerHotKeys(HWND window);
// Tries the taken ones again, quietly; returns those still taken.
unsigned retryTakenHotKeys(HWND window);
// Wine posts a held hot key again with every key repeat, MOD_NOREPEAT or
// not: false for such a repeat, one that comes while the key has stayed
// down since the press it repeats.
bool takeHotKeyPress(HWND window, WPARAM id);
// The answer to kHotKeyUpTimerId: notes which held keys are up again.
void watchHeldHotKeys(HWND window);
// Unregisters what this run registered, and only that.
void unregisterHotKeys(HWND window);
// The log line for a hot key another program holds.
std::wstring hotKeyInUseLine(HotKeyId id);
// The balloon's text naming the taken hot keys.
std::wstring takenHotKeysText(unsigned taken);
