// Another program's windows for the overlay tests and the benchmark.
//
// Usage: overlay_helper WINDOWS...   with WINDOWS = EXSTYLE,LEFT,TOP,WIDTH,HEIGHT[,COUNT]
// (EXSTYLE in hexadecimal). Each argument makes COUNT (default 1) shown grey popup
// windows of that extended style and rectangle; the program then runs until
// it is ended or its last window is closed. Options before the windows:
// notify=HWND (decimal): each window, shown again after a hide, sends that
// window WM_SETTINGCHANGE from inside its WM_SHOWWINDOW, once. WM_APP posted
// to a window stops the program answering until the test wakes it, or for
// wParam milliseconds at most (OverlayHelper::stall). Each window counts the
// left clicks and wheel turns it receives (OverlayHelper::received).
#include <windows.h>

#include <cstdio>

#include "support/overlay_fixtures.h"

namespace {

int openWindows = 0;
unsigned long long notifyWindow = 0;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && --openWindows == 0) PostQuitMessage(0);
    if (message == WM_SHOWWINDOW && wParam && notifyWindow) {
        const auto shows = reinterpret_cast<INT_PTR>(GetPropW(window, L"shows")) + 1;
        SetPropW(window, L"shows", reinterpret_cast<HANDLE>(shows));
        if (shows == 2) SendMessageW(reinterpret_cast<HWND>(notifyWindow), WM_SETTINGCHANGE, 0, 0);
    }
    if (message == WM_LBUTTONDOWN || message == WM_MOUSEWHEEL) {
        const wchar_t* count = ox::receivedCount(message);
        SetPropW(window, count, reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(GetPropW(window, count)) + 1));
    }
    if (message == WM_APP) {
        const HANDLE stalled = ox::helperEvent(L"Stalled", GetCurrentProcessId());
        const HANDLE wake = ox::helperEvent(L"Wake", GetCurrentProcessId());
        SignalObjectAndWait(stalled, wake, static_cast<DWORD>(wParam), FALSE);
        ResetEvent(stalled);
        CloseHandle(stalled);
        CloseHandle(wake);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "notify=%llu", &notifyWindow) == 1) continue;
        unsigned long exStyle = 0;
        long left = 0, top = 0;
        int width = 0, height = 0, count = 1;
        if (std::sscanf(argv[i], "%lx,%ld,%ld,%d,%d,%d", &exStyle, &left, &top, &width, &height, &count) < 5) {
            return 2;
        }
        for (int n = 0; n < count; ++n) {
            const RECT rect{left, top, left + width, top + height};
            if (!ox::makeTestWindow(ox::kHelperClass, procedure, exStyle, rect, true,
                                    static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)))) {
                return 3;
            }
            ++openWindows;
        }
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
