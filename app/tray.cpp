#include "app/tray.h"

#include <shellapi.h>

#include "app/ids.h"
#include "app/launch.h"
#include "app/shell.h"
#include "app/texts.h"
#include "filter/controller.h"
#include "picker/picker.h"
#include "settings/geometry.h"

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

const wchar_t* statusText(const AppState& state) {
    return state.filterActive ? text::statusFiltered : text::statusIdle;
}

std::wstring withShortcut(const wchar_t* label, HotKeyId hotKey) {
    return std::wstring(label) + L"\t" + hotKeyShortcut(hotKey);
}

std::wstring areaLine(const AppState& state) {
    if (!state.hasRegion) return text::menuAreaWholeScreen;
    return text::menuAreaPrefix + sizeText(state.region);
}

TrayMenuItem separator() { return {L"", 0, MF_SEPARATOR}; }

UINT checkedIf(bool on) { return on ? MF_CHECKED : 0u; }

void appendItems(HMENU menu, const std::vector<TrayMenuItem>& items) {
    for (const TrayMenuItem& item : items) {
        switch (item.submenu) {
        case TrayMenuItem::Submenu::None:
            AppendMenuW(menu, item.flags, item.id, item.flags & MF_SEPARATOR ? nullptr : item.text.c_str());
            break;
        case TrayMenuItem::Submenu::Windows: {
            HMENU submenu = CreatePopupMenu();
            buildWindowSubmenu(submenu);
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), item.text.c_str());
            break;
        }
        case TrayMenuItem::Submenu::Mode: {
            HMENU submenu = CreatePopupMenu();
            appendItems(submenu, modeMenuItems(appState.style));
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), item.text.c_str());
            break;
        }
        }
    }
}

}  // namespace

void buildWindowSubmenu(HMENU submenu) {
    windowTargets = collectWindowTargets();
    if (windowTargets.empty()) {
        AppendMenuW(submenu, MF_STRING | MF_DISABLED, 0, text::menuNoWindows);
        return;
    }
    const size_t shown = windowTargets.size() < kMaxWindowMenuItems ? windowTargets.size() : kMaxWindowMenuItems;
    for (size_t i = 0; i < shown; ++i) {
        const std::wstring title = menuEscaped(shortenedTitle(windowTargets[i].title));
        AppendMenuW(submenu, MF_STRING, kCommandFirstWindow + i, title.c_str());
    }
}

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
    setTip(data, statusText(appState));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

std::vector<TrayMenuItem> trayMenuItems(const AppState& state, bool launchAtLogin) {
    std::vector<TrayMenuItem> items{
        {statusText(state), 0, MF_DISABLED},
        separator(),
        {withShortcut(text::menuHideAnnotations, kHotKeyHideAnnotations), kCommandHideAnnotations,
         checkedIf(state.filterActive)},
        {withShortcut(text::menuPeek, kHotKeyPeek), kCommandPeek, state.filterActive ? 0u : MF_GRAYED},
        separator(),
        {withShortcut(text::menuWholeScreen, kHotKeyWholeScreen), kCommandWholeScreen, 0},
        {withShortcut(text::menuSelectArea, kHotKeySelectArea), kCommandSelectArea, 0},
        {text::menuMirrorWindow, 0, MF_POPUP, TrayMenuItem::Submenu::Windows},
        {areaLine(state), 0, MF_DISABLED},
    };
    if (state.style == FilterStyle::OneWindow && !state.targetTitle.empty()) {
        items.push_back({text::menuWindowPrefix + menuEscaped(state.targetTitle), 0, MF_DISABLED});
    }
    const std::vector<TrayMenuItem> rest{
        separator(),
        {text::menuMode, 0, MF_POPUP, TrayMenuItem::Submenu::Mode},
        {text::menuOutline, kCommandOutline, checkedIf(state.outline)},
        {text::menuHideOverlays, kCommandHideOverlays, checkedIf(state.hideOverlays)},
        separator(),
        {text::menuLaunchAtLogin, kCommandLaunchAtLogin, checkedIf(launchAtLogin)},
        {text::menuAbout, kCommandAbout, 0},
        separator(),
        {text::menuQuit, kCommandQuit, 0},
    };
    items.insert(items.end(), rest.begin(), rest.end());
    return items;
}

std::vector<TrayMenuItem> modeMenuItems(FilterStyle style) {
    return {
        {text::menuModeScreenArea, kCommandModeScreenArea, checkedIf(style == FilterStyle::ScreenArea)},
        {text::menuModeOneWindow, kCommandModeOneWindow, checkedIf(style == FilterStyle::OneWindow)},
        {text::menuModeSolidCover, kCommandModeSolidCover, checkedIf(style == FilterStyle::SolidCover)},
    };
}

void showTrayMenu() {
    pauseFilterWindows(appState, true);
    HMENU menu = CreatePopupMenu();
    appendItems(menu, trayMenuItems(appState, isLaunchAtLoginEnabled()));
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(appState.mainWindow);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, appState.mainWindow, nullptr);
    PostMessageW(appState.mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
    pauseFilterWindows(appState, false);
    situationEnded();
}
