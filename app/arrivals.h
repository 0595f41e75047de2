#pragma once
// What the main window does with each message, in each situation the
// program can be in. Menus and boxes run nested message loops, a selection
// holds the screen, and the program may be ending: anything can arrive in
// any of them, and this is the one place that says what happens then.

#include <windows.h>

#include <optional>

#include "settings/settings.h"

enum class Situation { Idle, Peek, Menu, Box, Selection, Ending };

// A message of the main window, by what it asks for. Hot keys and commands
// that ask for the same thing are the same arrival.
enum class Arrival {
    HideAnnotations,
    Peek,
    WholeScreen,
    SelectArea,
    ChooseMode,
    Outline,
    HideOverlays,
    LaunchAtLogin,
    ChooseWindow,
    Box,       // About, or the one-time tip
    ShowMenu,  // hot key W, a click on the icon, the private request
    Quit,      // the menu item, WM_CLOSE, the end of the session
    PeekTimer,
    TrayRetry,   // another try at adding the tray icon
    OtherTimer,  // any timer but a running peek's and the tray's
    DisplayChange,
    SettingChange,
    TaskbarCreated,
    QueryEndSession,
    Destroy,
    FilterSync,
    Nothing,  // command ids without an item, other mouse messages, a cancelled session end
};

enum class Action {
    RunNow,
    RunLater,           // kept, and posted again once the situation has ended
    EndSituationFirst,  // the menu or box is closed, the selection cancelled, then it runs
    Ignore,
};

// The situation the state is in; an ending outranks everything.
Situation currentSituation(const AppState& state);
// The arrival a main-window message is, or none for a message the default
// window procedure handles. `peekRunning` tells the peek's timer from others.
std::optional<Arrival> arrivalOf(UINT message, WPARAM wParam, LPARAM lParam, bool peekRunning);
// What the main window does with an arrival in a situation.
Action decide(Situation situation, Arrival arrival);
