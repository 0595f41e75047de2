#pragma once
// settings/ holds the one state record and the user's choices as the
// registry keeps them, and below every subsystem what they all share:
// rectangles and monitors (geometry.h), GDI owners (gdi.h), window facts
// (window_facts.h), the registry reader (registry.h) and the main window's
// messages (messages.h).

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/geometry.h"
#include "settings/registry.h"

// The filter mode, persisted as the value "Style".
enum class FilterStyle : std::uint32_t {
    ScreenArea = 0,
    OneWindow = 1,
    SolidCover = 2,
};

// The user's choices that the registry keeps and the state holds alike.
struct FilterChoices {
    FilterStyle style = FilterStyle::ScreenArea;
    bool outline = true;
    bool hideOverlays = false;
    bool hasRegion = false;
    RECT region{0, 0, 0, 0};
};

// The persisted subset of the state: the choices and whether the filter was on.
struct Settings : FilterChoices {
    bool enabled = false;
};

// The one process-wide record of run-time state; touched only on the UI thread.
struct AppState : FilterChoices {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    bool filterActive = false;
    HWND targetWindow = nullptr;
    std::wstring targetTitle;
    std::vector<HWND> mirrorWindows;
    HWND coverWindow = nullptr;
    std::vector<HWND> hiddenOverlays;
    UINT_PTR peekTimer = 0;
    // What is open now; written by the shell alone (app/).
    bool menuOpen = false;
    bool boxOpen = false;
    bool selectionOpen = false;
    bool ending = false;
    // The filter's one input from the shell: its windows stay down meanwhile.
    bool filterHeld = false;
    // Filter operations under way (a stop, a start, a frame): a rebuild asked
    // for meanwhile is posted once and runs after them.
    int filterBusy = 0;
    bool filterSyncPosted = false;
};

extern AppState appState;

Settings loadSettings();
LONG saveSettings(const Settings& settings);
void saveCurrentSettings(const AppState& state);
