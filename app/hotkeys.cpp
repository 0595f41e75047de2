#include "app/ids.h"
#include "app/shell.h"

const wchar_t* hotKeyShortcut(HotKeyId id) {
    for (const HotKey& hotKey : kHotKeys) {
        if (hotKey.id == id) return hotKey.shortcut;
    }
    return L"";
}

void registerHotKeys(HWND window) {
    for (const HotKey& hotKey : kHotKeys) RegisterHotKey(window, hotKey.id, kHotKeyModifiers, hotKey.key);
}

void unregisterHotKeys(HWND window) {
    for (const HotKey& hotKey : kHotKeys) UnregisterHotKey(window, hotKey.id);
}
