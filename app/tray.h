#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "picker/picker.h"
#include "settings/settings.h"

// The icon's id among the main window's notification-area icons.
inline constexpr UINT kTrayIconId = 1;

// The notification-area icon of the main window, its whole life: added with
// its two pictures from the program file (and tried again every 2 s for two
// minutes while the shell takes none), showing the state, added again when
// the notification area is made anew, and deleted with its pictures.
void addTrayIcon(HINSTANCE picturesFrom);
// The answer to kTrayRetryTimerId.
void retryTrayIcon();
// Also on TaskbarCreated, which Windows sends when the primary monitor's DPI changes.
void readdTrayIcon();
// The side of the icon's pictures at a DPI.
int trayIconSize(UINT dpi);
void updateTrayIcon();
void deleteTrayIcon();
// One balloon from the icon; one that comes before the icon waits for it.
void showTrayBalloon(const std::wstring& title, const std::wstring& text);

// The shell's broadcast that the notification area was made anew (for
// example after it restarted): our icon is gone then.
bool isTaskbarCreated(UINT message);
// Whether the icon's callback, with the mouse message in lParam, asks for the menu.
bool trayCallbackOpensMenu(LPARAM mouseMessage);

// One item of the tray menu as it is appended.
struct TrayMenuItem {
    enum class Submenu { None, Windows, Mode };
    std::wstring text;
    UINT id = 0;
    UINT flags = MF_STRING;
    Submenu submenu = Submenu::None;
};

// The tray menu's items, top to bottom, for a state, the Run value's
// presence and the hot keys another program holds (bit 1 << id).
std::vector<TrayMenuItem> trayMenuItems(const AppState& state, bool launchAtLogin, unsigned takenHotKeys = 0);
// The items of the "Mode" submenu.
std::vector<TrayMenuItem> modeMenuItems(FilterStyle style);

// The windows the last menu offered: entry i answers kCommandFirstWindow + i.
const std::vector<WindowTarget>& offeredWindows();
void offerWindows(std::vector<WindowTarget> targets);
// Offers the windows there are now, and fills the "Mirror a Window…" submenu with them.
void buildWindowSubmenu(HMENU submenu);

// Opens the tray menu at the pointer; returns when it has closed.
void showTrayMenu(unsigned takenHotKeys);
