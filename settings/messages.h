#pragma once

#include <windows.h>

// Messages and timers the main window takes beyond the system's: the
// shell's own, and those the filter posts to it.
enum : UINT {
    kTrayCallbackMessage = WM_APP + 1,
    kShowTrayMenuMessage = WM_APP + 2,
    // A rebuild that had to wait for a filter operation.
    kFilterSyncMessage = WM_APP + 3,
    // A box is due; wParam says which.
    kShowBoxMessage = WM_APP + 4,
};

enum BoxKind : WPARAM {
    kBoxAbout = 1,
    kBoxTip = 2,
    // Windows shows the mirror black in captures (before 10 version 2004).
    kBoxCapturesShowMirrorBlack = 3,
};

// The main window's timers; each is started and stopped in one place only.
enum MainWindowTimer : UINT_PTR {
    kPeekTimerId = 1,      // filter/controller.cpp: the peek's end
    kTrayRetryTimerId = 2,  // app/tray.cpp: another try at adding the icon
    kHotKeyUpTimerId = 3,   // app/hotkeys.cpp: whether a held hot key is up again
};
