#include <windows.h>

#include "app/ids.h"
#include "app/launch.h"
#include "app/shell.h"
#include "app/texts.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "picker/picker.h"
#include "select/select.h"
#include "settings/settings.h"

namespace {

// Sent by the shell to every top-level window when the notification area is
// made anew (for example after the shell restarted): our icon is gone then.
const UINT taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

void requestTrayMenu() { PostMessageW(appState.mainWindow, kShowTrayMenuMessage, 0, 0); }

void chooseWindowTarget(size_t index) {
    if (index >= windowTargets.size()) return;
    const WindowTarget target = windowTargets[index];
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target.window, target.title);
    setFilterActive(appState, true);
}

// The outcome arrives outside the main window's commands, which refresh the
// icon: without this it would show the state from before the selection ended.
void selectArea() { startRegionSelection(updateTrayIcon); }

void runCommand(UINT id) {
    switch (id) {
    case kCommandHideAnnotations:
        hideAnnotations();
        break;
    case kCommandPeek:
        startPeek(appState);
        break;
    case kCommandWholeScreen:
        useWholeScreen(appState);
        break;
    case kCommandSelectArea:
        selectArea();
        break;
    case kCommandModeScreenArea:
        setFilterStyle(appState, FilterStyle::ScreenArea);
        break;
    case kCommandModeOneWindow:
        setFilterStyle(appState, FilterStyle::OneWindow);
        // Without a window to mirror, reopen the menu so the user can pick one.
        if (targetUsable(appState)) {
            setFilterActive(appState, true);
        } else {
            requestTrayMenu();
        }
        break;
    case kCommandModeSolidCover:
        setFilterStyle(appState, FilterStyle::SolidCover);
        break;
    case kCommandOutline:
        setOutline(appState, !appState.outline);
        break;
    case kCommandHideOverlays:
        setHideOverlays(appState, !appState.hideOverlays);
        break;
    case kCommandLaunchAtLogin:
        // Read again now: the value may have changed since the menu was built.
        setLaunchAtLogin(!isLaunchAtLoginEnabled());
        break;
    case kCommandAbout:
        MessageBoxW(nullptr, text::aboutBody, text::aboutCaption, MB_ICONINFORMATION);
        break;
    case kCommandQuit:
        DestroyWindow(appState.mainWindow);
        break;
    default:
        if (id >= kCommandFirstWindow) chooseWindowTarget(id - kCommandFirstWindow);
        break;
    }
}

void runHotKey(WPARAM id) {
    switch (id) {
    case kHotKeyHideAnnotations:
        hideAnnotations();
        updateTrayIcon();
        break;
    case kHotKeyPeek:
        startPeek(appState);
        break;
    case kHotKeySelectArea:
        selectArea();
        break;
    case kHotKeyWholeScreen:
        useWholeScreen(appState);
        updateTrayIcon();
        break;
    case kHotKeyMenu:
        showTrayMenu();
        break;
    default:
        break;
    }
}

bool opensTrayMenu(LPARAM mouseMessage) {
    return mouseMessage == WM_RBUTTONUP || mouseMessage == WM_CONTEXTMENU || mouseMessage == WM_LBUTTONUP;
}

}  // namespace

void hideAnnotations() {
    if (appState.style == FilterStyle::OneWindow && !targetUsable(appState)) {
        setFilterActive(appState, false);
        requestTrayMenu();
        return;
    }
    toggleFilter(appState);
    if (appState.filterActive && appState.style == FilterStyle::ScreenArea) showWholeScreenTip();
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        shutdownFilter(appState);
        unregisterHotKeys(window);
        deleteTrayIcon(window);
        PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        // A session end that was cancelled leaves everything as it was.
        if (wParam) shutdownFilter(appState);
        return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        restartFilter(appState);
        return 0;
    case WM_COMMAND:
        runCommand(LOWORD(wParam));
        updateTrayIcon();
        return 0;
    case WM_TIMER:
        // The only timer here is the peek's: when it fires the filter comes back.
        KillTimer(window, kPeekTimerId);
        setFilterActive(appState, true);
        updateTrayIcon();
        return 0;
    case WM_HOTKEY:
        runHotKey(wParam);
        return 0;
    case kTrayCallbackMessage:
        if (opensTrayMenu(lParam)) showTrayMenu();
        return 0;
    case kShowTrayMenuMessage:
        showTrayMenu();
        return 0;
    case kFilterSyncMessage:
        runPostedFilterSync(appState);
        return 0;
    default:
        if (message == taskbarCreatedMessage && taskbarCreatedMessage != 0) {
            addTrayIcon();
            updateTrayIcon();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
