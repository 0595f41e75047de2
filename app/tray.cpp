#include "app/tray.h"

#include <shellapi.h>

#include "app/ids.h"
#include "app/launch.h"
#include "app/shell.h"
#include "app/texts.h"
#include "filter/controller.h"
#include "picker/picker.h"
#include "res/resource_ids.h"
#include "settings/geometry.h"

namespace {

// The pictures loaded from the program file; the fallback is the system's
// own icon, shared, and never destroyed.
HICON loadedPictures[2] = {};
HICON idlePicture = nullptr;
HICON filteredPicture = nullptr;

NOTIFYICONDATAW trayData() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = appState.mainWindow;
    data.uID = kTrayIconId;
    return data;
}

const wchar_t* statusText(const AppState& state) {
    return state.filterActive ? text::statusFiltered : text::statusIdle;
}

// Adds the icon, or changes it, with the picture and the tip of the state.
void tellShell(DWORD message) {
    NOTIFYICONDATAW data = trayData();
    data.uFlags = NIF_ICON | NIF_TIP;
    if (message == NIM_ADD) {
        data.uFlags |= NIF_MESSAGE;
        data.uCallbackMessage = kTrayCallbackMessage;
    }
    data.hIcon = appState.filterActive ? filteredPicture : idlePicture;
    // szTip counts characters, not bytes.
    lstrcpynW(data.szTip, statusText(appState), static_cast<int>(sizeof data.szTip / sizeof data.szTip[0]));
    Shell_NotifyIconW(message, &data);
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

void addTrayIcon(HINSTANCE picturesFrom) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    const int ids[2] = {IDI_CLEARPANE_IDLE, IDI_CLEARPANE_FILTERED};
    for (int i = 0; i < 2; ++i) {
        loadedPictures[i] = static_cast<HICON>(
            LoadImageW(picturesFrom, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    idlePicture = loadedPictures[0] ? loadedPictures[0] : LoadIconW(nullptr, IDI_APPLICATION);
    filteredPicture = loadedPictures[1] ? loadedPictures[1] : idlePicture;
    readdTrayIcon();
}

void readdTrayIcon() { tellShell(NIM_ADD); }

void updateTrayIcon() { tellShell(NIM_MODIFY); }

void deleteTrayIcon() {
    NOTIFYICONDATAW data = trayData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    for (HICON& picture : loadedPictures) {
        if (picture) DestroyIcon(picture);
        picture = nullptr;
    }
    idlePicture = filteredPicture = nullptr;
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
