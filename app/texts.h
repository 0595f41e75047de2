#pragma once

// Every text the user sees, exactly as shown. The dots are U+00B7, the
// multiplication sign U+00D7 and the ellipses the single character U+2026.
namespace text {

inline constexpr wchar_t appName[] = L"Clearpane";
inline constexpr wchar_t alreadyRunning[] =
    L"Clearpane is already running. Look for the pencil in the notification area.";

// Tooltip and the menu's status line.
inline constexpr wchar_t statusIdle[] = L"Clearpane \u00B7 idle";
inline constexpr wchar_t statusFiltered[] = L"Clearpane \u00B7 filtered";

// Tray menu labels; the hot-key items get their shortcut after a tab.
inline constexpr wchar_t menuHideAnnotations[] = L"Hide Annotations";
inline constexpr wchar_t menuPeek[] = L"Peek for 5 Seconds";
inline constexpr wchar_t menuWholeScreen[] = L"Whole Screen";
inline constexpr wchar_t menuSelectArea[] = L"Select Area\u2026";
inline constexpr wchar_t menuMirrorWindow[] = L"Mirror a Window\u2026";
inline constexpr wchar_t menuAreaPrefix[] = L"Area: ";
inline constexpr wchar_t menuAreaWholeScreen[] = L"Area: whole screen";
inline constexpr wchar_t menuWindowPrefix[] = L"Window: ";
inline constexpr wchar_t menuMode[] = L"Mode";
inline constexpr wchar_t menuModeScreenArea[] = L"Live \u00B7 screen area";
inline constexpr wchar_t menuModeOneWindow[] = L"Live \u00B7 one window (no overlays)";
inline constexpr wchar_t menuModeSolidCover[] = L"Solid cover";
inline constexpr wchar_t menuOutline[] = L"Show Outline";
inline constexpr wchar_t menuHideOverlays[] = L"Also Hide Overlay Windows (experimental)";
inline constexpr wchar_t menuLaunchAtLogin[] = L"Launch at Login";
inline constexpr wchar_t menuAbout[] = L"About Clearpane";
inline constexpr wchar_t menuQuit[] = L"Quit Clearpane";
inline constexpr wchar_t menuNoWindows[] = L"No windows to mirror";
// After the shortcut of a hot key another program holds.
inline constexpr wchar_t menuShortcutInUse[] = L" (in use)";

// The balloon, once a run, when another program holds some of the hot keys.
inline constexpr wchar_t hotKeysTakenTitle[] = L"Some Clearpane hot keys are taken";
inline constexpr wchar_t hotKeysTakenBefore[] = L"Another program holds ";
inline constexpr wchar_t hotKeysTakenAfter[] = L". What they do is still in the tray menu.";

inline constexpr wchar_t aboutCaption[] = L"About Clearpane";
inline constexpr wchar_t aboutBody[] =
    L"Clearpane 1.0 for Windows\r\n\r\n"
    L"A live mirror of your screen (or of one window) so you can keep reading your own content while someone "
    L"draws over your screen share. Nothing is frozen and the share keeps running.\r\n\r\n"
    L"The mirror window is excluded from screen captures (WDA_EXCLUDEFROMCAPTURE), so it never shows up in "
    L"anyone else's share.\r\n\r\n"
    L"Mode \u00B7 screen area: a real-time copy of a rectangle. Windows cannot remove another app's overlay from "
    L"a whole-screen capture, so drawings drawn over the screen will still appear here.\r\n\r\n"
    L"Mode \u00B7 one window: a real-time copy of a single window. Because that window is captured on its own, "
    L"overlays drawn on top of it never appear. This is the annotation-free mode.\r\n\r\n"
    L"Mode \u00B7 solid cover: hides the area completely, no capture needed.\r\n\r\n"
    L"Tray icon: pencil = idle, crossed pencil = filtered.";

// The one-time tip; its paragraphs are separated by LF LF.
inline constexpr wchar_t wholeScreenTip[] =
    L"Windows will not let an app remove someone else's drawing layer from a whole-screen view, so drawings "
    L"made over the screen still appear here.\n\n"
    L"For a view with no overlays at all, choose Mirror a Window from this menu and pick the window you are "
    L"sharing: that window is captured on its own, underneath any annotations.";

// Shown once a run when a mirror goes up on a Windows that cannot hide it
// from captures (before Windows 10 version 2004).
inline constexpr wchar_t capturesShowMirrorBlack[] =
    L"This version of Windows cannot keep Clearpane's mirror out of screen captures. Anyone watching your "
    L"shared screen sees a black rectangle where the mirror is, instead of your content and the drawings over "
    L"it.\n\n"
    L"Hiding the mirror from captures needs Windows 10 version 2004 or later. Until then, turn the filter off "
    L"while you share, or use the solid cover, which is meant to be seen.";

}  // namespace text
