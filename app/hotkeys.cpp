#include <utility>

#include "app/ids.h"
#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"

namespace {

// The hot keys this run registered (bit 1 << id); another program had the others first.
unsigned registered = 0;
// Those whose key has stayed down since their last press.
unsigned held = 0;
constexpr UINT kUpWatchMs = 30;

unsigned bit(HotKeyId id) { return 1u << id; }

bool isDown(UINT key) { return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0; }

// MOD_NOREPEAT: a key held down is one press, not one per key repeat.
unsigned registerTaken(HWND window) {
    unsigned taken = 0;
    for (const HotKey& hotKey : kHotKeys) {
        if (registered & bit(hotKey.id)) continue;
        if (RegisterHotKey(window, hotKey.id, kHotKeyModifiers | MOD_NOREPEAT, hotKey.key)) {
            registered |= bit(hotKey.id);
        } else {
            taken |= bit(hotKey.id);
        }
    }
    return taken;
}

}  // namespace

const wchar_t* hotKeyShortcut(HotKeyId id) {
    for (const HotKey& hotKey : kHotKeys) {
        if (hotKey.id == id) return hotKey.shortcut;
    }
    return L"";
}

std::wstring hotKeyInUseLine(HotKeyId id) {
    return logtext::hotKeyInUseBefore + std::wstring(hotKeyShortcut(id)) + logtext::hotKeyInUseAfter;
}

std::wstring takenHotKeysText(unsigned taken) {
    std::wstring names;
    for (const HotKey& hotKey : kHotKeys) {
        if (taken & bit(hotKey.id)) names += (names.empty() ? L"" : L", ") + std::wstring(hotKey.shortcut);
    }
    return text::hotKeysTakenBefore + names + text::hotKeysTakenAfter;
}

unsigned registerHotKeys(HWND window) {
    const unsigned taken = registerTaken(window);
    for (const HotKey& hotKey : kHotKeys) {
        if (taken & bit(hotKey.id)) logLine(hotKeyInUseLine(hotKey.id));
    }
    return taken;
}

unsigned retryTakenHotKeys(HWND window) { return registerTaken(window); }

bool takeHotKeyPress(HWND window, WPARAM id) {
    for (const HotKey& hotKey : kHotKeys) {
        if (hotKey.id != static_cast<int>(id)) continue;
        const bool down = isDown(hotKey.key);
        if ((held & bit(hotKey.id)) && down) return false;
        if (!down) {
            held &= ~bit(hotKey.id);
        } else if (std::exchange(held, held | bit(hotKey.id)) == 0) {
            SetTimer(window, kHotKeyUpTimerId, kUpWatchMs, nullptr);
        }
    }
    return true;
}

void watchHeldHotKeys(HWND window) {
    for (const HotKey& hotKey : kHotKeys) {
        if (!isDown(hotKey.key)) held &= ~bit(hotKey.id);
    }
    if (held == 0) KillTimer(window, kHotKeyUpTimerId);
}

void unregisterHotKeys(HWND window) {
    for (const HotKey& hotKey : kHotKeys) {
        if (registered & bit(hotKey.id)) UnregisterHotKey(window, hotKey.id);
    }
    registered = 0;
}
