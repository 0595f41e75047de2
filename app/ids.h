#pragma once

#include <windows.h>

#include "settings/messages.h"

// Menu command ids, sent to the main window as WM_COMMAND.
enum Command : UINT {
    kCommandHideAnnotations = 1,
    kCommandPeek = 2,
    kCommandWholeScreen = 3,
    kCommandSelectArea = 4,
    kCommandModeScreenArea = 6,
    kCommandModeOneWindow = 7,
    kCommandModeSolidCover = 8,
    kCommandOutline = 9,
    kCommandHideOverlays = 10,
    kCommandLaunchAtLogin = 11,
    kCommandAbout = 12,
    kCommandQuit = 13,
    // Entry i of the "Mirror a Window…" submenu answers kCommandFirstWindow + i.
    kCommandFirstWindow = 1000,
};

enum HotKeyId : int {
    kHotKeyHideAnnotations = 1,
    kHotKeyPeek = 2,
    kHotKeySelectArea = 3,
    kHotKeyWholeScreen = 4,
    kHotKeyMenu = 5,
};

// Every global hot key, in the order of registration; the menu shows the shortcut text.
struct HotKey {
    HotKeyId id;
    UINT key;
    const wchar_t* shortcut;
};
inline constexpr UINT kHotKeyModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
inline constexpr HotKey kHotKeys[] = {
    {kHotKeyHideAnnotations, 'D', L"Ctrl+Alt+Shift+D"},
    {kHotKeyPeek, 'P', L"Ctrl+Alt+Shift+P"},
    {kHotKeySelectArea, 'A', L"Ctrl+Alt+Shift+A"},
    {kHotKeyWholeScreen, 'F', L"Ctrl+Alt+Shift+F"},
    {kHotKeyMenu, 'W', L"Ctrl+Alt+Shift+W"},
};
const wchar_t* hotKeyShortcut(HotKeyId id);
