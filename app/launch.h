#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Launch at login: the quoted program path as the Run value "Clearpane".
bool isLaunchAtLoginEnabled();
void setLaunchAtLogin(bool enable);
// Full path of the running program file.
std::wstring getModulePath();
// The whole path that `read`, called as GetModuleFileNameW is, gives into a
// buffer grown until it fits; empty when it cannot be read whole.
std::wstring readWholePath(const std::function<DWORD(wchar_t*, DWORD)>& read);

// TipShown says the tip has been shown: a REG_DWORD other than 0.
bool wholeScreenTipShown();
// Explains once per user why drawings still show in a screen-area mirror.
void showWholeScreenTip();
