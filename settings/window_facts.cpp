#include "settings/window_facts.h"

void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, const wchar_t* cursor,
                         UINT style) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, cursor);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

HWND threadWindowOfClass(const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpW(name, s.className) != 0) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool shownWindowOfAnother(const WindowFacts& facts, DWORD ownProcessId) {
    // Our own windows (main, mirrors, cover, selection) look much like the others.
    return facts.processId != ownProcessId && facts.visible && !facts.minimised;
}

bool readShownWindowFacts(HWND window, WindowFacts& facts) {
    GetWindowThreadProcessId(window, &facts.processId);
    facts.visible = IsWindowVisible(window) != FALSE;
    facts.minimised = IsIconic(window) != FALSE;
    facts.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    return shownWindowOfAnother(facts, GetCurrentProcessId());
}
