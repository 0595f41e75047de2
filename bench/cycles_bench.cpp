// Filter cycles through the real controller: an area over every monitor,
// one window, the cover, and peeks ended by their timer's message, as the
// main window receives it.
#include "bench/cycles_bench.h"

#include <windows.h>

#include <cstdio>
#include <functional>

#include "app/launch.h"
#include "app/shell.h"
#include "app/tray.h"
#include "tests/support/census.h"
#include "bench/timing.h"
#include "filter/controller.h"
#include "filter/mirror_windows.h"
#include "picker/picker.h"
#include "settings/geometry.h"
#include "tests/support/overlay_fixtures.h"

namespace {

// A window that draws a picture when printed, as the one-window target.
LRESULT CALLBACK pictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINTCLIENT || message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = message == WM_PAINT ? BeginPaint(window, &paint) : reinterpret_cast<HDC>(wParam);
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawTextW(dc, L"one window", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (message == WM_PAINT) EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makePopup(const wchar_t* className, WNDPROC procedure, const RECT& rect, bool shown) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"cycles", WS_POPUP, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    if (shown) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void printCensus(const char* what, int done) {
    GdiFlush();
    const GdiCount gdi = liveGdiObjects();
    const DWORD handles = openHandles();
    const Memory memory = memoryNow();
    std::printf("%-28s %7d %9lu %9lu %12.1f\n", what, done, static_cast<unsigned long>(gdi.value),
                static_cast<unsigned long>(handles), memory.privateMb);
}

void cycle(const char* what, int cycles, const std::function<void()>& once) {
    int done = 0;
    for (const int checkpoint : {10, cycles}) {
        for (; done < checkpoint; ++done) {
            once();
            if (done % 8 == 0) pumpMessages();
        }
        pumpMessages();
        printCensus(what, done);
    }
}

// What opening the tray menu costs before it shows: the items and the
// picker's enumeration of every top-level window, with 40 candidates.
void measureMenu() {
    // Another program's windows: the picker never offers this one's.
    const ox::OverlayHelper candidates({{0, RECT{200, 150, 500, 350}, 40}});
    const auto medians = medianMs(200, {[] {
        HMENU windows = CreatePopupMenu();
        buildWindowSubmenu(windows);
        DestroyMenu(windows);
        trayMenuItems(appState, isLaunchAtLoginEnabled());
    }});
    std::printf("\ntray menu built, %zu windows offered: %.3f ms median\n", offeredWindows().size(), medians[0]);
}

}  // namespace

void runCycleBench(int cycles) {
    // The controller saves every change: keep the bench's away from the user's settings.
    constexpr wchar_t kScratch[] = L"Software\\ClearpaneBench";
    HKEY scratch = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &scratch,
                    nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, scratch);

    // The main window's own procedure ends each peek, as in the program.
    HWND main = makePopup(L"BenchCyclesMain", mainWindowProc, RECT{0, 0, 0, 0}, false);
    HWND target = makePopup(L"BenchCyclesTarget", pictureProc, RECT{100, 100, 740, 580}, true);
    initFilterEngine(appState, GetModuleHandleW(nullptr), main);
    pumpMessages();

    std::printf("%d on/off cycles through the controller, monitors: %d\n", cycles, GetSystemMetrics(SM_CMONITORS));
    std::printf("%-28s %7s %9s %9s %12s\n", "", "cycles", "GDI", "handles", "private MB");
    setRegion(appState, virtualScreenRect());
    cycle("area over every monitor", cycles, [] {
        setFilterActive(appState, true);
        setFilterActive(appState, false);
    });
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target, L"cycles");
    cycle("one window", cycles, [] {
        setFilterActive(appState, true);
        setFilterActive(appState, false);
    });
    setFilterStyle(appState, FilterStyle::SolidCover);
    setRegion(appState, RECT{100, 100, 740, 580});
    cycle("cover", cycles, [] {
        setFilterActive(appState, true);
        setFilterActive(appState, false);
    });
    setFilterStyle(appState, FilterStyle::ScreenArea);
    setFilterActive(appState, true);
    cycle("peeks ended by their timer", cycles, [main] {
        startPeek(appState);
        SendMessageW(main, WM_TIMER, kPeekTimerId, 0);
    });
    shutdownFilter(appState);
    measureMenu();

    // Not the program's: its WM_DESTROY would post WM_QUIT here.
    SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(main);
    DestroyWindow(target);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
}
