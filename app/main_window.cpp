#include <windows.h>

#include "app/shell.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "settings/settings.h"

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        shutdownFilter(appState);
        unregisterHotKeys(window);
        deleteTrayIcon(window);
        PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        shutdownFilter(appState);
        return 0;
    case WM_TIMER:
        // The only timer here is the peek's: when it fires the filter comes back.
        KillTimer(window, kPeekTimerId);
        setFilterActive(appState, true);
        updateTrayIcon();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
