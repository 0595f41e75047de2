#pragma once

#include <windows.h>

inline constexpr wchar_t kMainClass[] = L"CP_Main";
inline constexpr wchar_t kAppName[] = L"Clearpane";
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\Clearpane.Instance";
inline constexpr wchar_t kAlreadyRunningText[] =
    L"Clearpane is already running. Look for the pencil in the notification area.";
inline constexpr wchar_t kTipIdle[] = L"Clearpane \u00B7 idle";
inline constexpr wchar_t kTipFiltered[] = L"Clearpane \u00B7 filtered";

enum : UINT {
    kTrayCallbackMessage = WM_APP + 1,
    kShowTrayMenuMessage = WM_APP + 2,
};
inline constexpr UINT kTrayIconId = 1;
inline constexpr int kIdleIconResource = 101;
inline constexpr int kFilteredIconResource = 102;

enum HotKeyId : int {
    kHotKeyHideAnnotations = 1,
    kHotKeyPeek = 2,
    kHotKeySelectArea = 3,
    kHotKeyWholeScreen = 4,
    kHotKeyMenu = 5,
};

extern HANDLE instanceMutex;
extern HWND mainWindow;
extern HICON idleIcon;
extern HICON filteredIcon;

// The whole run: start-up, message loop, shutdown. Returns the exit code.
int runClearpane(HINSTANCE instance);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void addTrayIcon();
void deleteTrayIcon(HWND window);
void updateTrayIcon();
void registerHotKeys(HWND window);
void unregisterHotKeys(HWND window);
