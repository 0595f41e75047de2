#pragma once

#include <string>

// Launch at login: the quoted program path as the Run value "Clearpane".
bool isLaunchAtLoginEnabled();
void setLaunchAtLogin(bool enable);
// Full path of the running program file.
std::wstring getModulePath();

// TipShown says the tip has been shown: a REG_DWORD other than 0.
bool wholeScreenTipShown();
// Explains once per user why drawings still show in a screen-area mirror.
void showWholeScreenTip();
