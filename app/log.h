#pragma once

#include <string>
#include <string_view>

// Full path of the log file; empty until initLogLocation has run.
extern std::wstring logFilePath;

// Fixes the log location from LOCALAPPDATA (or "." when unusable) and
// creates the log directory.
void initLogLocation();

// Appends one time-stamped line. Never fails visibly.
void logLine(std::wstring_view message);

// Every line the program logs, exactly as other tools may grep for it.
namespace logtext {
inline constexpr wchar_t started[] = L"started";
inline constexpr wchar_t restoredOverlays[] = L"restored overlays hidden by a previous run";
inline constexpr wchar_t windowModeNoTarget[] = L"window mode with no target; not enabling";
inline constexpr wchar_t areaMirrorPresented[] = L"area mirror presented";
inline constexpr wchar_t windowMirrorShown[] = L"window mirror on one window";
inline constexpr wchar_t windowMirrorTargetGone[] = L"window mirror: target is gone";
inline constexpr wchar_t affinityFailed[] = L"SetWindowDisplayAffinity failed; the mirror may appear in captures";
inline constexpr wchar_t printWindowFallback[] = L"PrintWindow gave nothing usable; falling back to screen pixels";
inline constexpr wchar_t hidOverlay[] = L"hid overlay window";
inline constexpr wchar_t capturesShowMirrorBlack[] =
    L"this Windows shows the mirror black in captures; hiding it needs Windows 10 version 2004";
inline constexpr wchar_t trayIconNotAdded[] =
    L"the notification area took no icon for two minutes; Ctrl+Alt+Shift+W opens the menu";
// Around the shortcut of a hot key another program holds.
inline constexpr wchar_t hotKeyInUseBefore[] = L"hot key ";
inline constexpr wchar_t hotKeyInUseAfter[] = L" is in use by another program";
}  // namespace logtext
