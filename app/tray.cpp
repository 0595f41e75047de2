#include <windows.h>
#include <shellapi.h>


#include "app/shell.h"
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
    NOTIFYICONDATAW data = trayData(mainWindow);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = idleIcon;
    setTip(data, kTipIdle);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void deleteTrayIcon(HWND window) {
    NOTIFYICONDATAW data = trayData(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

void updateTrayIcon() {
    NOTIFYICONDATAW data = trayData(mainWindow);
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = appState.filterActive ? filteredIcon : idleIcon;
    setTip(data, appState.filterActive ? kTipFiltered : kTipIdle);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void registerHotKeys(HWND window) {
    constexpr UINT modifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
    RegisterHotKey(window, kHotKeyHideAnnotations, modifiers, 'D');
    RegisterHotKey(window, kHotKeyPeek, modifiers, 'P');
    RegisterHotKey(window, kHotKeySelectArea, modifiers, 'A');
    RegisterHotKey(window, kHotKeyWholeScreen, modifiers, 'F');
    RegisterHotKey(window, kHotKeyMenu, modifiers, 'W');
}

void unregisterHotKeys(HWND window) {
    for (int id = kHotKeyHideAnnotations; id <= kHotKeyMenu; ++id) UnregisterHotKey(window, id);
}
