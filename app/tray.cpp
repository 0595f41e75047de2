#include "app/tray.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/ids.h"
#include "app/launch.h"
#include "app/log.h"
#include "app/texts.h"
#include "res/resource_ids.h"
#include "settings/geometry.h"

namespace {

// The pictures loaded from the program file; the fallback is the system's
// own icon, shared, and never destroyed.
HICON loadedPictures[2] = {};
HINSTANCE picturesModule = nullptr;
HICON idlePicture = nullptr;
HICON filteredPicture = nullptr;

// Sent by the shell to every top-level window when the notification area is made anew.
const UINT taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

// At logon the shell may not take icons yet, and may never say when it does.
constexpr UINT kRetryPeriodMs = 2000;
constexpr int kRetries = 60;  // two minutes
bool iconShown = false;
int retriesLeft = 0;
NOTIFYICONDATAW dueBalloon{};  // its szInfo is empty once shown

std::vector<WindowTarget> windowsOffered;

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

// The icon with the picture and the tip of the state; false when the shell refused.
bool tellShell(DWORD message) {
    NOTIFYICONDATAW data = trayData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = appState.filterActive ? filteredPicture : idlePicture;
    // szTip counts characters, not bytes.
    lstrcpynW(data.szTip, statusText(appState), static_cast<int>(std::size(data.szTip)));
    return Shell_NotifyIconW(message, &data) != FALSE;
}

void showDueBalloon() {
    if (!iconShown || dueBalloon.szInfo[0] == L'\0') return;
    if (Shell_NotifyIconW(NIM_MODIFY, &dueBalloon)) dueBalloon.szInfo[0] = L'\0';
}

void stopRetrying() {
    if (retriesLeft > 0) KillTimer(appState.mainWindow, kTrayRetryTimerId);
    retriesLeft = 0;
}

void addIcon() {
    // A refused add may have been carried out all the same (a shell that
    // timed out): the icon that is there is changed, never added twice.
    iconShown = tellShell(NIM_MODIFY) || tellShell(NIM_ADD);
    if (iconShown) {
        stopRetrying();
        showDueBalloon();
    } else if (retriesLeft == 0 && SetTimer(appState.mainWindow, kTrayRetryTimerId, kRetryPeriodMs, nullptr)) {
        retriesLeft = kRetries;
    }
}

// The shortcut shows whether it works: another program may hold it.
std::wstring withShortcut(const wchar_t* label, HotKeyId hotKey, unsigned takenHotKeys) {
    const bool taken = (takenHotKeys & (1u << hotKey)) != 0;
    return std::wstring(label) + L"\t" + hotKeyShortcut(hotKey) + (taken ? text::menuShortcutInUse : L"");
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

const std::vector<WindowTarget>& offeredWindows() { return windowsOffered; }

void offerWindows(std::vector<WindowTarget> targets) { windowsOffered = std::move(targets); }

void buildWindowSubmenu(HMENU submenu) {
    windowsOffered = collectWindowTargets();
    if (windowsOffered.empty()) {
        AppendMenuW(submenu, MF_STRING | MF_DISABLED, 0, text::menuNoWindows);
        return;
    }
    const size_t shown = std::min(windowsOffered.size(), kMaxWindowMenuItems);
    for (size_t i = 0; i < shown; ++i) {
        const std::wstring title = menuEscaped(shortenedTitle(windowsOffered[i].title));
        AppendMenuW(submenu, MF_STRING, kCommandFirstWindow + i, title.c_str());
    }
}

int trayIconSize(UINT dpi) {
    // Looked up at run time: older systems lack the export.
    using ForDpi = int(WINAPI*)(int, UINT);
    static const ForDpi metricForDpi = reinterpret_cast<ForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return metricForDpi ? metricForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

void addTrayIcon(HINSTANCE picturesFrom) {
    picturesModule = picturesFrom;
    readdTrayIcon();
}

void retryTrayIcon() {
    if (retriesLeft == 0) return;
    addIcon();
    if (!iconShown && --retriesLeft == 0) {
        KillTimer(appState.mainWindow, kTrayRetryTimerId);
        logLine(logtext::trayIconNotAdded);
    }
}

void readdTrayIcon() {
    // The pictures at the size the notification area shows them, which
    // follows the primary monitor's DPI; the shell keeps its own copies.
    const int size = trayIconSize(monitorDpiAt(POINT{0, 0}));
    const HICON old[2] = {loadedPictures[0], loadedPictures[1]};
    const int ids[2] = {IDI_CLEARPANE_IDLE, IDI_CLEARPANE_FILTERED};
    for (int i = 0; i < 2; ++i) {
        loadedPictures[i] = static_cast<HICON>(
            LoadImageW(picturesModule, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    idlePicture = loadedPictures[0] ? loadedPictures[0] : LoadIconW(nullptr, IDI_APPLICATION);
    filteredPicture = loadedPictures[1] ? loadedPictures[1] : idlePicture;
    addIcon();
    for (const HICON picture : old) {
        if (picture) DestroyIcon(picture);
    }
}

void updateTrayIcon() {
    // Gone without the shell saying so: added again.
    if (iconShown && !tellShell(NIM_MODIFY)) addIcon();
}

void deleteTrayIcon() {
    stopRetrying();
    NOTIFYICONDATAW data = trayData();
    // Also after a refused add, which the shell may have carried out; a
    // refused delete leaves an icon that goes with the window.
    Shell_NotifyIconW(NIM_DELETE, &data);
    iconShown = false;
    dueBalloon = {};
    for (HICON& picture : loadedPictures) {
        if (picture) DestroyIcon(picture);
        picture = nullptr;
    }
    idlePicture = filteredPicture = nullptr;
}

void showTrayBalloon(const std::wstring& title, const std::wstring& text) {
    dueBalloon = trayData();
    dueBalloon.uFlags = NIF_INFO;
    dueBalloon.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(dueBalloon.szInfoTitle, title.c_str(), static_cast<int>(std::size(dueBalloon.szInfoTitle)));
    lstrcpynW(dueBalloon.szInfo, text.c_str(), static_cast<int>(std::size(dueBalloon.szInfo)));
    showDueBalloon();
}

bool isTaskbarCreated(UINT message) { return taskbarCreatedMessage != 0 && message == taskbarCreatedMessage; }

bool trayCallbackOpensMenu(LPARAM mouseMessage) {
    // Without NIM_SETVERSION the callback carries the mouse message itself:
    // a release of either button opens the menu, nothing else does.
    return mouseMessage == WM_RBUTTONUP || mouseMessage == WM_CONTEXTMENU || mouseMessage == WM_LBUTTONUP;
}

std::vector<TrayMenuItem> trayMenuItems(const AppState& state, bool launchAtLogin, unsigned takenHotKeys) {
    std::vector<TrayMenuItem> items{
        {statusText(state), 0, MF_DISABLED},
        separator(),
        {withShortcut(text::menuHideAnnotations, kHotKeyHideAnnotations, takenHotKeys), kCommandHideAnnotations,
         checkedIf(state.filterActive)},
        {withShortcut(text::menuPeek, kHotKeyPeek, takenHotKeys), kCommandPeek, state.filterActive ? 0u : MF_GRAYED},
        separator(),
        {withShortcut(text::menuWholeScreen, kHotKeyWholeScreen, takenHotKeys), kCommandWholeScreen, 0},
        {withShortcut(text::menuSelectArea, kHotKeySelectArea, takenHotKeys), kCommandSelectArea, 0},
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

void showTrayMenu(unsigned takenHotKeys) {
    HMENU menu = CreatePopupMenu();
    appendItems(menu, trayMenuItems(appState, isLaunchAtLoginEnabled(), takenHotKeys));
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(appState.mainWindow);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, appState.mainWindow, nullptr);
    PostMessageW(appState.mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
