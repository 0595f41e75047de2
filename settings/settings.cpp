#include "settings/settings.h"

AppState appState;

namespace {

DWORD readDwordOr(HKEY key, const wchar_t* name, DWORD fallback) { return readDword(key, name).value_or(fallback); }

}  // namespace

Settings loadSettings() {
    Settings settings;
    RegistryKey key;
    if (key.openForRead(kSettingsKeyPath) != ERROR_SUCCESS) return settings;
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

    const RECT stored{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                      static_cast<LONG>(bottom)};
    if (hasRegion != 0 && isUsableRegion(stored)) {
        settings.hasRegion = true;
        settings.region = stored;
    }
    return settings;
}

LONG saveSettings(const Settings& settings) {
    RegistryKey key;
    const LONG opened = key.openForWrite(kSettingsKeyPath);
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
