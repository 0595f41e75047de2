#pragma once
// Top-level windows as the program sees them: its own (their classes, and
// finding one on this thread) and other programs' (the facts the picker and
// overlay hiding ask of them).

#include <windows.h>

#include <string>
#include <vector>

// Registers one of the program's window classes. Registering a class that
// exists already fails harmlessly and leaves it as it was.
void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, const wchar_t* cursor = IDC_ARROW,
                         UINT style = 0);
// A window of this thread with this class, or null: the program's boxes and
// its selection overlay are all made on it.
HWND threadWindowOfClass(const wchar_t* className);

// The record one of the program's windows carries on GWLP_USERDATA, or null:
// some messages arrive before it is attached, or after it was taken off.
template <typename Record>
Record* windowRecord(HWND window) {
    return reinterpret_cast<Record*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
// Hangs a record on the window, or with null takes it off; returns the one it had.
template <typename Record>
Record* attachWindowRecord(HWND window, Record* record) {
    return reinterpret_cast<Record*>(SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record)));
}

// Every top-level window, frontmost first.
std::vector<HWND> topLevelWindows();

// What the picker and overlay hiding ask of a top-level window. Each reads
// the rectangle, title, class name and monitor only where it needs them.
struct WindowFacts {
    DWORD processId = 0;
    bool visible = false;
    bool minimised = false;
    LONG_PTR exStyle = 0;
    RECT rect{0, 0, 0, 0};
    std::wstring title;
    std::wstring className;
    // The whole monitor nearest the window's centre; empty when unknown.
    RECT monitor{0, 0, 0, 0};
};

// Shown on the screen, not minimised, and another program's: the first test
// of a candidate for the picker and for overlay hiding.
bool shownWindowOfAnother(const WindowFacts& facts, DWORD ownProcessId);
// Reads the cheap facts (process, visibility, minimised, extended style);
// false when they fail shownWindowOfAnother, as most top-level windows do:
// they need no further queries.
bool readShownWindowFacts(HWND window, WindowFacts& facts);
