#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "app/arrivals.h"
#include "app/ids.h"
#include "app/launch.h"
#include "app/shell.h"
#include "app/texts.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "select/select.h"
#include "settings/settings.h"
#include "settings/window_facts.h"

namespace {

// A message that waits until the menu, box or selection it arrived in has ended.
struct KeptMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const KeptMessage&) const = default;
};
std::vector<KeptMessage> keptMessages;

void keep(UINT message, WPARAM wParam, LPARAM lParam) {
    const KeptMessage kept{message, wParam, lParam};
    // Asked for twice while it waits, it is answered once.
    if (std::find(keptMessages.begin(), keptMessages.end(), kept) == keptMessages.end()) keptMessages.push_back(kept);
}

// The filter's windows stay down while the menu or a selection is open, and
// once the program is ending.
void holdFollowsSituation() {
    holdFilterWindows(appState, appState.menuOpen || appState.selectionOpen || appState.ending);
}

// One situation (the menu, a box, a selection) for as long as it lasts. On
// the way in its flag is set and the filter's windows are held as it asks;
// on the way out the flag is cleared, the windows are released, and what
// waited for it arrives again, in the order it was asked for.
class SituationScope {
public:
    explicit SituationScope(bool AppState::*flag) : flag_(flag) {
        appState.*flag_ = true;
        holdFollowsSituation();
    }
    ~SituationScope() {
        appState.*flag_ = false;
        holdFollowsSituation();
        for (const KeptMessage& kept : std::exchange(keptMessages, {})) {
            PostMessageW(appState.mainWindow, kept.message, kept.wParam, kept.lParam);
        }
        // A selection ends outside any message of the main window.
        trayFollowsState();
    }
    SituationScope(const SituationScope&) = delete;
    SituationScope& operator=(const SituationScope&) = delete;

private:
    bool AppState::*flag_;
};

void requestTrayMenu() { PostMessageW(appState.mainWindow, kShowTrayMenuMessage, 0, 0); }

void chooseWindowTarget(size_t index) {
    if (index >= offeredWindows().size()) return;
    const WindowTarget target = offeredWindows()[index];
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target.window, target.title);
    setFilterActive(appState, true);
}

void chooseMode(UINT command) {
    if (command != kCommandModeOneWindow) {
        setFilterStyle(appState, command == kCommandModeSolidCover ? FilterStyle::SolidCover : FilterStyle::ScreenArea);
        return;
    }
    setFilterStyle(appState, FilterStyle::OneWindow);
    // Without a window to mirror, reopen the menu so the user can pick one.
    if (targetUsable(appState)) {
        setFilterActive(appState, true);
    } else {
        requestTrayMenu();
    }
}

void showBox(WPARAM kind) {
    const SituationScope box(&AppState::boxOpen);
    if (kind == kBoxTip) {
        showWholeScreenTip();
    } else {
        const bool about = kind != kBoxCapturesShowMirrorBlack;
        showInformationBox(about ? text::aboutBody : text::capturesShowMirrorBlack,
                           about ? text::aboutCaption : text::appName);
    }
}

void endProgram() {
    beginEnding();
    // Every loop returns on it (the menu and the box are ending already),
    // and the main window then goes the usual way.
    PostQuitMessage(0);
}

void openMenu() {
    // Another program may have let a taken key go since: it works from now on.
    const unsigned taken = retryTakenHotKeys(appState.mainWindow);
    const SituationScope menu(&AppState::menuOpen);
    showTrayMenu(taken);
}

void endRun() {
    beginEnding();
    unregisterHotKeys(appState.mainWindow);
    deleteTrayIcon();
    PostQuitMessage(0);
}

// Command 1 and hot key 1: toggles the filter, or asks for a window to mirror.
void hideAnnotations() {
    if (appState.style == FilterStyle::OneWindow && !targetUsable(appState)) {
        setFilterActive(appState, false);
        requestTrayMenu();
        return;
    }
    toggleFilter(appState);
    // Posted: the icon shows the new state before the box, and a box due
    // inside the menu or a selection waits for it like any other.
    if (appState.filterActive && appState.style == FilterStyle::ScreenArea) {
        PostMessageW(appState.mainWindow, kShowBoxMessage, kBoxTip, 0);
    }
}

void selectArea() {
    // The selection lasts as long as its callback: until that has run, or
    // until the overlay drops it unrun, having never opened.
    auto selection = std::make_shared<SituationScope>(&AppState::selectionOpen);
    startRegionSelection([selection]() mutable { selection.reset(); });
}

LRESULT run(Arrival arrival, UINT message, WPARAM wParam) {
    switch (arrival) {
    case Arrival::HideAnnotations: hideAnnotations(); break;
    case Arrival::Peek: startPeek(appState); break;
    case Arrival::WholeScreen: useWholeScreen(appState); break;
    case Arrival::SelectArea: selectArea(); break;
    case Arrival::ChooseMode: chooseMode(LOWORD(wParam)); break;
    case Arrival::Outline: setOutline(appState, !appState.outline); break;
    case Arrival::HideOverlays: setHideOverlays(appState, !appState.hideOverlays); break;
    // Read again now: the value may have changed since the menu was built.
    case Arrival::LaunchAtLogin: setLaunchAtLogin(!isLaunchAtLoginEnabled()); break;
    case Arrival::ChooseWindow: chooseWindowTarget(LOWORD(wParam) - kCommandFirstWindow); break;
    case Arrival::Box: showBox(message == kShowBoxMessage ? wParam : kBoxAbout); break;
    case Arrival::ShowMenu: openMenu(); break;
    case Arrival::Quit: endProgram(); break;
    case Arrival::PeekTimer: endPeek(appState); break;
    case Arrival::TrayRetry: retryTrayIcon(); break;
    case Arrival::DisplayChange:
    case Arrival::SettingChange: restartFilter(appState); break;
    case Arrival::TaskbarCreated: readdTrayIcon(); break;
    case Arrival::QueryEndSession: return TRUE;
    case Arrival::Destroy: endRun(); break;
    case Arrival::FilterSync: runPostedFilterSync(appState); break;
    case Arrival::OtherTimer:
    case Arrival::Nothing: break;
    }
    return 0;
}

LRESULT arrive(UINT message, WPARAM wParam, LPARAM lParam, Arrival arrival) {
    const Situation situation = currentSituation(appState);
    LRESULT result = 0;
    switch (decide(situation, arrival)) {
    case Action::RunNow:
        result = run(arrival, message, wParam);
        break;
    case Action::RunLater:
        keep(message, wParam, lParam);
        return 0;
    case Action::EndSituationFirst:
        if (situation != Situation::Selection) {
            // Their loops return later: it runs once they have.
            if (appState.menuOpen) EndMenu();
            if (appState.boxOpen) closeOpenBox();
            keep(message, wParam, lParam);
            return 0;
        }
        cancelRegionSelection();
        result = run(arrival, message, wParam);
        break;
    case Action::Ignore: return 0;
    }
    if (appState.boxOpen) keepOpenBoxOnTop();
    trayFollowsState();
    return result;
}

}  // namespace

void beginEnding() {
    if (appState.ending) return;
    appState.ending = true;
    holdFollowsSituation();
    // Cancelled, the selection leaves stored what was stored before it.
    cancelRegionSelection();
    if (appState.menuOpen) EndMenu();
    if (appState.boxOpen) closeOpenBox();
    shutdownFilter(appState);
}

void trayFollowsState() {
    if (!appState.ending) updateTrayIcon();
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A key repeat of a held hot key is no arrival (one press, one switch),
    // and neither is the timer that notes the key is up again.
    if (message == WM_HOTKEY && !takeHotKeyPress(window, wParam)) return 0;
    if (message == WM_TIMER && wParam == kHotKeyUpTimerId) {
        watchHeldHotKeys(window);
        return 0;
    }
    const std::optional<Arrival> arrival = arrivalOf(message, wParam, lParam, appState.peekTimer != 0);
    if (!arrival) return DefWindowProcW(window, message, wParam, lParam);
    return arrive(message, wParam, lParam, *arrival);
}
