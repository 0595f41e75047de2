// Every value the program reads, filled a thousand times with random types,
// lengths and bytes (fixed seed): each reads as its rule says, loading,
// starting, stopping, the menu and the overlay restore never stumble, and
// nothing but the program's own values is written.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <map>
#include <random>
#include <vector>

#include "app/launch.h"
#include "app/tray.h"
#include "overlays/overlays.h"
#include "picker/picker.h"
#include "support/shell_fixtures.h"

namespace {

struct Stored {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// Every value of a key, by name.
std::map<std::wstring, Stored> snapshot(const wchar_t* path) {
    std::map<std::wstring, Stored> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 8192;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        values[name] = {true, type, data};
    }
    RegCloseKey(key);
    return values;
}

void store(const wchar_t* path, const wchar_t* name, const Stored& value) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (value.present) {
        RegSetValueExW(key, name, 0, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    } else {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);
}

// A REG_DWORD counts when it fits the 4-byte buffer; its missing bytes read as 0.
std::optional<DWORD> dwordRule(const Stored& v) {
    if (!v.present || v.type != REG_DWORD || v.bytes.size() > 4) return std::nullopt;
    DWORD value = 0;
    for (size_t i = 0; i < v.bytes.size(); ++i) value |= static_cast<DWORD>(v.bytes[i]) << (8 * i);
    return value;
}

class HostileRegistry : public shellfx::ShellFixture {
protected:
    Stored randomValue() {
        const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                               REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,
                               REG_RESOURCE_REQUIREMENTS_LIST, REG_QWORD};
        const DWORD sane[] = {0, 1, 2, 100, 600, 1000, 0x7FFFFFFF, 0x80000000, 0xFFFFFB00};
        Stored v;
        v.present = pick(13) != 0;
        v.type = types[pick(std::size(types))];
        const size_t length = pick(10) == 0 ? 4096 : pick(65);
        for (size_t i = 0; i < length; ++i) v.bytes.push_back(static_cast<BYTE>(pick(256)));
        if (pick(4) != 0) {  // often a plausible DWORD, so that filters do come up
            v.type = REG_DWORD;
            const DWORD value = sane[pick(std::size(sane))];
            v.bytes.assign(reinterpret_cast<const BYTE*>(&value), reinterpret_cast<const BYTE*>(&value) + 4);
        }
        return v;
    }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

    std::mt19937 random_{20261208};
};

TEST_F(HostileRegistry, EveryValueReadsByItsRuleAndNothingElseIsWritten) {
    const wchar_t* settingsNames[] = {kValueStyle, kValueOutline, kValueHideOverlays, kValueEnabled,
                                      kValueRegionLeft, kValueRegionTop, kValueRegionRight, kValueRegionBottom,
                                      kValueHasRegion, kValueTipShown, kValueHiddenOverlays};
    const Stored foreign{true, REG_SZ, {'x', 0, 0, 0}};
    int filtersUp = 0;
    for (int round = 0; round < 1000; ++round) {
        std::map<std::wstring, Stored> stored;
        for (const wchar_t* name : settingsNames) store(kSettingsKeyPath, name, stored[name] = randomValue());
        const Stored run = randomValue();
        store(kRunKeyPath, kRunValueName, run);
        store(kSettingsKeyPath, L"NotOurs", foreign);
        store(kRunKeyPath, L"SomeoneElse", foreign);
        const auto settingsBefore = snapshot(kSettingsKeyPath);
        const auto runBefore = snapshot(kRunKeyPath);

        const Settings loaded = loadSettings();
        const DWORD style = dwordRule(stored[kValueStyle]).value_or(0);
        ASSERT_EQ(static_cast<DWORD>(loaded.style), style <= 2 ? style : 0u) << round;
        ASSERT_EQ(loaded.outline, dwordRule(stored[kValueOutline]).value_or(1) != 0) << round;
        ASSERT_EQ(loaded.enabled, dwordRule(stored[kValueEnabled]).value_or(0) != 0) << round;
        ASSERT_EQ(wholeScreenTipShown(), dwordRule(stored[kValueTipShown]).value_or(0) != 0) << round;
        ASSERT_EQ(isLaunchAtLoginEnabled(), run.present && run.type == REG_SZ && run.bytes.size() <= 2046) << round;
        ASSERT_TRUE(!loaded.hasRegion || isUsableRegion(loaded.region)) << round;
        const Stored& record = stored[kValueHiddenOverlays];
        const bool validRecord = record.present && record.type == REG_BINARY && record.bytes.size() >= 8 &&
                                 record.bytes.size() % 8 == 0;
        ASSERT_EQ(readHiddenOverlayRecord().size(), validRecord ? record.bytes.size() / 8 : 0u) << round;

        initFilterEngine(appState, GetModuleHandleW(nullptr), main_.get());
        restorePreviousRunOverlays();
        applySavedEnabled(appState);
        filtersUp += appState.filterActive ? 1 : 0;
        HMENU menu = CreatePopupMenu();
        buildWindowSubmenu(menu);
        DestroyMenu(menu);
        trayMenuItems(appState, isLaunchAtLoginEnabled());
        shutdownFilter(appState);
        appState.filterActive = false;

        // Only the settings that the filter saves, and the record, may change.
        auto settingsAfter = snapshot(kSettingsKeyPath);
        for (const auto& [name, value] : settingsBefore) {
            const bool owned = name != L"NotOurs" && name != kValueTipShown;
            if (!owned) {
                ASSERT_TRUE(settingsAfter.count(name) && settingsAfter[name].bytes == value.bytes) << round;
            }
        }
        ASSERT_EQ(snapshot(kRunKeyPath).size(), runBefore.size()) << round;
        ASSERT_TRUE(snapshot(kRunKeyPath)[L"SomeoneElse"].bytes == foreign.bytes) << round;
    }
    EXPECT_GT(filtersUp, 10) << "the values should bring the filter up now and then";
}

}  // namespace
