#pragma once
// Window helpers that every subsystem shares.

#include <windows.h>

// Registers one of the program's window classes. Registering a class that
// exists already fails harmlessly and leaves it as it was.
void registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, const wchar_t* cursor = IDC_ARROW,
                         UINT style = 0);
