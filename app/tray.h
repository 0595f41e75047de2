#pragma once

#include <windows.h>

// The notification-area icon of the main window.
void addTrayIcon();
void deleteTrayIcon(HWND window);
void updateTrayIcon();
