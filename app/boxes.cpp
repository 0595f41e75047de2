// The program's message boxes, always above its top-most filter windows.
#include <windows.h>

#include "app/shell.h"
#include "settings/window_facts.h"

namespace {

constexpr wchar_t kBoxClass[] = L"#32770";

void raiseBox(HWND box) {
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Windows makes an MB_TOPMOST box top-most itself; Wine ignores the flag.
// Raised as it is first activated, the box is top-most on both.
LRESULT CALLBACK raiseBoxOnActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, kBoxClass) == 0) raiseBox(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void showInformationBox(const wchar_t* body, const wchar_t* caption) {
    const HHOOK hook = SetWindowsHookExW(WH_CBT, raiseBoxOnActivation, nullptr, GetCurrentThreadId());
    MessageBoxW(nullptr, body, caption, MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND);
    if (hook) UnhookWindowsHookEx(hook);
}

void keepOpenBoxOnTop() {
    // A filter window shown while the box is open goes to the top of the
    // top-most windows, over the box.
    if (const HWND box = threadWindowOfClass(kBoxClass)) raiseBox(box);
}

void closeOpenBox() {
    if (const HWND box = threadWindowOfClass(kBoxClass)) PostMessageW(box, WM_COMMAND, IDOK, 0);
}
