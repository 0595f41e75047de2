#include <windows.h>

#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "overlays/overlays.h"
#include "res/resource_ids.h"
#include "settings/settings.h"

HANDLE instanceMutex = nullptr;
HICON idleIcon = nullptr;
HICON filteredIcon = nullptr;

namespace {

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

void registerMainClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kMainClass;
    RegisterClassExW(&windowClass);
}

void loadTrayIcons(HINSTANCE instance) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    idleIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_CLEARPANE_IDLE), IMAGE_ICON, size,
                                             size, LR_DEFAULTCOLOR));
    if (!idleIcon) idleIcon = LoadIconW(nullptr, IDI_APPLICATION);
    filteredIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_CLEARPANE_FILTERED), IMAGE_ICON,
                                                 size, size, LR_DEFAULTCOLOR));
    if (!filteredIcon) filteredIcon = idleIcon;
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
        MessageBoxW(nullptr, text::alreadyRunning, text::appName, MB_ICONINFORMATION);
        return 0;
    }

    initLogLocation();

    registerMainClass(instance);
    HWND mainWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kMainClass, text::appName, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    if (!mainWindow) return 1;

    loadTrayIcons(instance);
    initFilterEngine(appState, instance, mainWindow);
    restorePreviousRunOverlays();
    addTrayIcon();
    logLine(logtext::started);
    registerHotKeys(mainWindow);
    applySavedEnabled(appState);
    updateTrayIcon();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    shutdownFilter(appState);
    if (instanceMutex) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
    }
    return 0;
}
