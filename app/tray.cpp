#include <windows.h>
#include <shellapi.h>

#include "app/tray.h"

#include "app/ids.h"
#include "app/shell.h"
#include "app/texts.h"
#include "settings/settings.h"

namespace {

NOTIFYICONDATAW trayData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

void setTip(NOTIFYICONDATAW& data, const wchar_t* tip) {
    // szTip counts characters, not bytes.
    lstrcpynW(data.szTip, tip, static_cast<int>(sizeof data.szTip / sizeof data.szTip[0]));
}

}  // namespace

void addTrayIcon() {
    NOTIFYICONDATAW data = trayData(appState.mainWindow);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = idleIcon;
    setTip(data, text::statusIdle);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void deleteTrayIcon(HWND window) {
    NOTIFYICONDATAW data = trayData(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

void updateTrayIcon() {
    NOTIFYICONDATAW data = trayData(appState.mainWindow);
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = appState.filterActive ? filteredIcon : idleIcon;
    setTip(data, appState.filterActive ? text::statusFiltered : text::statusIdle);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}
