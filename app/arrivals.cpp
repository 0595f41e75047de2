#include "app/arrivals.h"

#include "app/ids.h"
#include "app/tray.h"

namespace {

Arrival commandArrival(UINT id) {
    switch (id) {
    case kCommandHideAnnotations: return Arrival::HideAnnotations;
    case kCommandPeek: return Arrival::Peek;
    case kCommandWholeScreen: return Arrival::WholeScreen;
    case kCommandSelectArea: return Arrival::SelectArea;
    case kCommandModeScreenArea:
    case kCommandModeOneWindow:
    case kCommandModeSolidCover: return Arrival::ChooseMode;
    case kCommandOutline: return Arrival::Outline;
    case kCommandHideOverlays: return Arrival::HideOverlays;
    case kCommandLaunchAtLogin: return Arrival::LaunchAtLogin;
    case kCommandAbout: return Arrival::Box;
    case kCommandQuit: return Arrival::Quit;
    default: return id >= kCommandFirstWindow ? Arrival::ChooseWindow : Arrival::Nothing;
    }
}

Arrival hotKeyArrival(WPARAM id) {
    switch (id) {
    case kHotKeyHideAnnotations: return Arrival::HideAnnotations;
    case kHotKeyPeek: return Arrival::Peek;
    case kHotKeySelectArea: return Arrival::SelectArea;
    case kHotKeyWholeScreen: return Arrival::WholeScreen;
    case kHotKeyMenu: return Arrival::ShowMenu;
    default: return Arrival::Nothing;
    }
}

Arrival timerArrival(WPARAM id, bool peekRunning) {
    if (id == kPeekTimerId && peekRunning) return Arrival::PeekTimer;
    return id == kTrayRetryTimerId ? Arrival::TrayRetry : Arrival::OtherTimer;
}

}  // namespace

Situation currentSituation(const AppState& state) {
    if (state.ending) return Situation::Ending;
    if (state.selectionOpen) return Situation::Selection;
    if (state.boxOpen) return Situation::Box;
    if (state.menuOpen) return Situation::Menu;
    return state.peekTimer != 0 ? Situation::Peek : Situation::Idle;
}

std::optional<Arrival> arrivalOf(UINT message, WPARAM wParam, LPARAM lParam, bool peekRunning) {
    switch (message) {
    case WM_COMMAND: return commandArrival(LOWORD(wParam));
    case WM_HOTKEY: return hotKeyArrival(wParam);
    case WM_TIMER: return timerArrival(wParam, peekRunning);
    case WM_DISPLAYCHANGE: return Arrival::DisplayChange;
    case WM_SETTINGCHANGE: return Arrival::SettingChange;
    case WM_QUERYENDSESSION: return Arrival::QueryEndSession;
    // A process that outlives the end of its session (one cancelled after
    // this, or a message from another program) must not stay half ended.
    case WM_ENDSESSION: return wParam ? Arrival::Quit : Arrival::Nothing;
    case WM_CLOSE: return Arrival::Quit;
    case WM_DESTROY: return Arrival::Destroy;
    case kTrayCallbackMessage: return trayCallbackOpensMenu(lParam) ? Arrival::ShowMenu : Arrival::Nothing;
    case kShowTrayMenuMessage: return Arrival::ShowMenu;
    case kFilterSyncMessage: return Arrival::FilterSync;
    case kShowBoxMessage: return Arrival::Box;
    default:
        return isTaskbarCreated(message) ? std::optional(Arrival::TaskbarCreated) : std::nullopt;
    }
}

Action decide(Situation situation, Arrival arrival) {
    switch (arrival) {
    case Arrival::Quit:
    case Arrival::Destroy:
    case Arrival::QueryEndSession:
        // Ending ends whatever is open itself, and runs at once: the system
        // may end the process as soon as the message returns.
        return Action::RunNow;
    case Arrival::Nothing:
    case Arrival::OtherTimer: return Action::Ignore;
    default: break;
    }
    switch (situation) {
    case Situation::Ending:
        // Nothing goes up again, nothing is saved or recorded.
        return Action::Ignore;
    case Situation::Menu:
        // Boxes wait for the menu: one opened inside its loop gets no mouse.
        if (arrival == Arrival::Box) return Action::RunLater;
        if (arrival == Arrival::SelectArea) return Action::EndSituationFirst;
        // Asked again while it is open: that menu answers.
        return arrival == Arrival::ShowMenu ? Action::Ignore : Action::RunNow;
    case Situation::Box:
        // One box at a time, and no menu or selection over it.
        if (arrival == Arrival::Box || arrival == Arrival::ShowMenu || arrival == Arrival::SelectArea) {
            return Action::RunLater;
        }
        return Action::RunNow;
    case Situation::Selection:
        if (arrival == Arrival::Box) return Action::RunLater;
        // Its picture and coordinates belong to the old display.
        if (arrival == Arrival::DisplayChange) return Action::EndSituationFirst;
        // No menu over it: the menu follows once it has ended.
        if (arrival == Arrival::ShowMenu) return Action::RunLater;
        // One overlay, ended by one Esc.
        if (arrival == Arrival::SelectArea) return Action::Ignore;
        return Action::RunNow;
    case Situation::Idle:
    case Situation::Peek: break;
    }
    return Action::RunNow;
}
