#include "settings/window_helpers.h"

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

bool readShownWindowFacts(HWND window, WindowFacts& facts) {
    GetWindowThreadProcessId(window, &facts.processId);
    facts.visible = IsWindowVisible(window) != FALSE;
    facts.minimised = IsIconic(window) != FALSE;
    facts.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    return facts.processId != GetCurrentProcessId() && facts.visible && !facts.minimised;
}
