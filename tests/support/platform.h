#pragma once
// The two checks behind which the expectations that hold only on our test
// platform stand, so that the same tests mean the same on Windows.

#include <windows.h>

namespace platform {

// Under Wine capture exclusion always fails (the program logs it for every
// mirror) and PrintWindow of another process's window draws nothing.
inline bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The test display's monitors: a 1280x1024 one left of the 1920x1080
// primary (under Wine they come from the stand-in Xinerama).
inline bool hasTestMonitors() {
    const RECT expected[] = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}};
    if (GetSystemMetrics(SM_CMONITORS) != 2) return false;
    for (const RECT& monitor : expected) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        const POINT inside{monitor.left + 1, monitor.top + 1};
        if (!GetMonitorInfoW(MonitorFromPoint(inside, MONITOR_DEFAULTTONULL), &info) ||
            !EqualRect(&info.rcMonitor, &monitor)) {
            return false;
        }
    }
    return true;
}

inline constexpr char kNeedsTestMonitors[] =
    "needs the test display's monitors: 1280x1024 left of a 1920x1080 primary";

}  // namespace platform
