#include "settings/settings.h"

#include "filter/windows.h"

AppState appState;

namespace {

// Owns an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }
    LONG close() {
        LONG result = ERROR_SUCCESS;
        if (key_) result = RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }

private:
    HKEY key_ = nullptr;
};

bool readDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD data = 0, type = 0, size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return false;
    }
    value = data;
    return true;
}

DWORD readDwordOr(HKEY key, const wchar_t* name, DWORD fallback) {
    DWORD value = fallback;
    return readDword(key, name, value) ? value : fallback;
}

void writeDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

Settings loadSettings() {
    Settings settings;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
        return settings;
    }
    const DWORD style = readDwordOr(key.get(), kValueStyle, 0);
    settings.style = style <= static_cast<DWORD>(FilterStyle::SolidCover) ? static_cast<FilterStyle>(style)
                                                                          : FilterStyle::ScreenArea;
    settings.outline = readDwordOr(key.get(), kValueOutline, 1) != 0;
    settings.hideOverlays = readDwordOr(key.get(), kValueHideOverlays, 0) != 0;
    settings.enabled = readDwordOr(key.get(), kValueEnabled, 0) != 0;
    const DWORD left = readDwordOr(key.get(), kValueRegionLeft, 0x7FFFFFFF);
    const DWORD top = readDwordOr(key.get(), kValueRegionTop, 0);
    const DWORD right = readDwordOr(key.get(), kValueRegionRight, 0);
    const DWORD bottom = readDwordOr(key.get(), kValueRegionBottom, 0);
    const DWORD hasRegion = readDwordOr(key.get(), kValueHasRegion, 0);

    // Compare in 64 bits: a 32-bit difference of stored nonsense can wrap to a "wide" region.
    const long long width = static_cast<long long>(static_cast<LONG>(right)) - static_cast<LONG>(left);
    const long long height = static_cast<long long>(static_cast<LONG>(bottom)) - static_cast<LONG>(top);
    if (hasRegion != 0 && width >= kMinRegionSide && height >= kMinRegionSide) {
        settings.hasRegion = true;
        settings.region = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                               static_cast<LONG>(bottom)};
    }
    return settings;
}

LONG saveSettings(const Settings& settings) {
    RegistryKey key;
    const LONG opened = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, key.out(), nullptr);
    if (opened != ERROR_SUCCESS) return opened;
    writeDword(key.get(), kValueStyle, static_cast<DWORD>(settings.style));
    writeDword(key.get(), kValueOutline, settings.outline ? 1 : 0);
    writeDword(key.get(), kValueHideOverlays, settings.hideOverlays ? 1 : 0);
    writeDword(key.get(), kValueEnabled, settings.enabled ? 1 : 0);
    writeDword(key.get(), kValueHasRegion, settings.hasRegion ? 1 : 0);
    if (settings.hasRegion) {
        writeDword(key.get(), kValueRegionLeft, static_cast<DWORD>(settings.region.left));
        writeDword(key.get(), kValueRegionTop, static_cast<DWORD>(settings.region.top));
        writeDword(key.get(), kValueRegionRight, static_cast<DWORD>(settings.region.right));
        writeDword(key.get(), kValueRegionBottom, static_cast<DWORD>(settings.region.bottom));
    }
    return key.close();
}

void saveCurrentSettings(const AppState& state) {
    Settings settings;
    settings.style = state.style;
    settings.outline = state.outline;
    settings.hideOverlays = state.hideOverlays;
    settings.enabled = state.filterActive;
    settings.hasRegion = state.hasRegion;
    settings.region = state.region;
    saveSettings(settings);
}

void initFilterEngine(AppState& state, HINSTANCE instance, HWND mainWindow) {
    state.instance = instance;
    state.mainWindow = mainWindow;
    registerFilterWindowClasses(instance);
    const Settings settings = loadSettings();
    state.style = settings.style;
    state.outline = settings.outline;
    state.hideOverlays = settings.hideOverlays;
    state.hasRegion = settings.hasRegion;
    state.region = settings.region;
}
