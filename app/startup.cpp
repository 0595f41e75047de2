#include <windows.h>

#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "overlays/overlays.h"
#include "settings/settings.h"
#include "settings/window_facts.h"

namespace {

HANDLE instanceMutex = nullptr;

void becomeDpiAware() {
    // Looked up at run time: older systems lack the export, and the manifest
    // asks for the same awareness anyway.
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    using SetContext = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (setContext) setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

}  // namespace

bool anotherCopyRuns(HANDLE mutex, DWORD error) {
    // Access is denied when the first copy runs elevated: it runs all the same.
    return mutex ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

int runClearpane(HINSTANCE instance) {
    becomeDpiAware();

    instanceMutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (anotherCopyRuns(instanceMutex, GetLastError())) {
        showInformationBox(text::alreadyRunning, text::appName);
        return 0;
    }

    initLogLocation();

    registerWindowClass(instance, kMainClass, mainWindowProc);
    HWND mainWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kMainClass, text::appName, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    if (!mainWindow) return 1;

    initFilterEngine(appState, instance, mainWindow);
    restorePreviousRunOverlays();
    addTrayIcon(instance);
    logLine(logtext::started);
    // A balloon, never a box: a box at every logon would stop the user each time.
    if (const unsigned taken = registerHotKeys(mainWindow)) {
        showTrayBalloon(text::hotKeysTakenTitle, takenHotKeysText(taken));
    }
    applySavedEnabled(appState);
    trayFollowsState();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // However the loop ended (a WM_QUIT from outside too), the ending runs
    // whole: the main window still there goes the usual way.
    beginEnding();
    if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
    if (instanceMutex) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
    }
    return 0;
}
