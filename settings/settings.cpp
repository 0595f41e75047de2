#include "settings/settings.h"

#include <optional>

AppState appState;

namespace {

DWORD flag(bool on) { return on ? 1 : 0; }
LONG coordinate(DWORD stored) { return static_cast<LONG>(stored); }

// Every persisted value: its name and how it maps onto the record. An absent
// or unreadable one reads as the record's default. The region's parts are
// written only with a region, and a region read back counts only when
// HasRegion says so and it is large enough: a missing left edge makes it
// unusable.
struct StoredValue {
    const wchar_t* name;
    DWORD (*get)(const Settings&);
    void (*set)(Settings&, DWORD);
    bool regionPart = false;
    std::optional<DWORD> absentReadsAs = std::nullopt;  // when not as the default
};

const StoredValue kStoredValues[] = {
    {kValueStyle, [](const Settings& s) { return static_cast<DWORD>(s.style); },
     [](Settings& s, DWORD v) {
         const bool known = v <= static_cast<DWORD>(FilterStyle::SolidCover);
         s.style = known ? static_cast<FilterStyle>(v) : FilterStyle::ScreenArea;
     }},
    {kValueOutline, [](const Settings& s) { return flag(s.outline); },
     [](Settings& s, DWORD v) { s.outline = v != 0; }},
    {kValueHideOverlays, [](const Settings& s) { return flag(s.hideOverlays); },
     [](Settings& s, DWORD v) { s.hideOverlays = v != 0; }},
    {kValueEnabled, [](const Settings& s) { return flag(s.enabled); },
     [](Settings& s, DWORD v) { s.enabled = v != 0; }},
    {kValueHasRegion, [](const Settings& s) { return flag(s.hasRegion); },
     [](Settings& s, DWORD v) { s.hasRegion = v != 0; }},
    {kValueRegionLeft, [](const Settings& s) { return static_cast<DWORD>(s.region.left); },
     [](Settings& s, DWORD v) { s.region.left = coordinate(v); }, true, 0x7FFFFFFF},
    {kValueRegionTop, [](const Settings& s) { return static_cast<DWORD>(s.region.top); },
     [](Settings& s, DWORD v) { s.region.top = coordinate(v); }, true},
    {kValueRegionRight, [](const Settings& s) { return static_cast<DWORD>(s.region.right); },
     [](Settings& s, DWORD v) { s.region.right = coordinate(v); }, true},
    {kValueRegionBottom, [](const Settings& s) { return static_cast<DWORD>(s.region.bottom); },
     [](Settings& s, DWORD v) { s.region.bottom = coordinate(v); }, true},
};

}  // namespace

Settings loadSettings() {
    Settings settings;
    RegistryKey key;
    if (key.openForRead(kSettingsKeyPath) != ERROR_SUCCESS) return settings;
    for (const StoredValue& value : kStoredValues) {
        if (const std::optional<DWORD> stored = readDword(key.get(), value.name)) {
            value.set(settings, *stored);
        } else if (value.absentReadsAs) {
            value.set(settings, *value.absentReadsAs);
        }
    }
    if (!settings.hasRegion || !isUsableRegion(settings.region)) {
        settings.hasRegion = false;
        settings.region = RECT{0, 0, 0, 0};
    }
    return settings;
}

LONG saveSettings(const Settings& settings) {
    RegistryKey key;
    const LONG opened = key.openForWrite(kSettingsKeyPath);
    if (opened != ERROR_SUCCESS) return opened;
    for (const StoredValue& value : kStoredValues) {
        if (!value.regionPart || settings.hasRegion) writeDword(key.get(), value.name, value.get(settings));
    }
    return key.close();
}

void saveCurrentSettings(const AppState& state) {
    Settings settings;
    static_cast<FilterChoices&>(settings) = state;
    settings.enabled = state.filterActive;
    saveSettings(settings);
}
