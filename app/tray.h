#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings.h"

// The notification-area icon of the main window, from start-up to the end:
// added with its two pictures from the program file, showing the state,
// added again when the notification area is made anew, and deleted with its
// pictures.
void addTrayIcon(HINSTANCE picturesFrom);
void readdTrayIcon();
void updateTrayIcon();
void deleteTrayIcon();

// One item of the tray menu as it is appended.
struct TrayMenuItem {
    enum class Submenu { None, Windows, Mode };
    std::wstring text;
    UINT id = 0;
    UINT flags = MF_STRING;
    Submenu submenu = Submenu::None;
};

// The tray menu's items, top to bottom, for a state and the Run value's presence.
std::vector<TrayMenuItem> trayMenuItems(const AppState& state, bool launchAtLogin);
// The items of the "Mode" submenu.
std::vector<TrayMenuItem> modeMenuItems(FilterStyle style);

// Refills windowTargets and the "Mirror a Window…" submenu from it.
void buildWindowSubmenu(HMENU submenu);

// Opens the tray menu at the pointer; returns when it has closed. The filter
// windows are down meanwhile.
void showTrayMenu();
