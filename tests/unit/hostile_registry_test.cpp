// Every value the program reads: each reads as its rule says, and filled four
// hundred times with random types, lengths and bytes (fixed seed), loading,
// starting, stopping, the menu and the overlay restore never stumble, and
// nothing but the program's own values is written.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "app/launch.h"
#include "app/tray.h"
#include "overlays/overlays.h"
#include "overlays/record.h"
#include "picker/picker.h"
#include "support/shell_fixtures.h"

namespace {

// A value, or its absence.
struct Stored {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

void store(const wchar_t* path, const wchar_t* name, const Stored& value) {
    if (value.present) {
        testenv::writeValue(name, {value.type, value.bytes}, path);
    } else {
        testenv::deleteValue(name, path);
    }
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
    // The same value under every name: a REG_DWORD counts when it fits 4 bytes, its missing bytes read as 0.
    const struct {
        const char* what;
        Stored value;
        DWORD style;
        bool outline, enabled, tipShown, atLogin;
        size_t overlays;
    } rules[] = {
        {"absent", {}, 0, true, false, false, false, 0},
        {"REG_DWORD 2", {true, REG_DWORD, {2, 0, 0, 0}}, 2, true, true, true, false, 0},
        {"REG_DWORD 3", {true, REG_DWORD, {3, 0, 0, 0}}, 0, true, true, true, false, 0},
        {"REG_DWORD 0", {true, REG_DWORD, {0, 0, 0, 0}}, 0, false, false, false, false, 0},
        {"REG_DWORD of 1 byte", {true, REG_DWORD, {1}}, 1, true, true, true, false, 0},
        {"REG_DWORD of 5 bytes", {true, REG_DWORD, {2, 0, 0, 0, 0}}, 0, true, false, false, false, 0},
        {"REG_SZ", {true, REG_SZ, {'1', 0, 0, 0}}, 0, true, false, false, true, 0},
        {"REG_BINARY of 8 bytes", {true, REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}}, 0, true, false, false, false, 1},
        {"REG_BINARY of 12 bytes", {true, REG_BINARY, std::vector<BYTE>(12, 1)}, 0, true, false, false, false, 0},
    };
    for (const auto& rule : rules) {
        for (const wchar_t* name : settingsNames) store(kSettingsKeyPath, name, rule.value);
        store(kRunKeyPath, kRunValueName, rule.value);
        const Settings loaded = loadSettings();
        EXPECT_EQ(static_cast<DWORD>(loaded.style), rule.style) << rule.what;
        EXPECT_EQ(loaded.outline, rule.outline) << rule.what;
        EXPECT_EQ(loaded.enabled, rule.enabled) << rule.what;
        EXPECT_EQ(wholeScreenTipShown(), rule.tipShown) << rule.what;
        EXPECT_EQ(isLaunchAtLoginEnabled(), rule.atLogin) << rule.what;
        EXPECT_EQ(readHiddenOverlayRecord().size(), rule.overlays) << rule.what;
    }

    // Random values: nothing stumbles, and only the program's own values change.
    const Stored foreign{true, REG_SZ, {'x', 0, 0, 0}};
    int filtersUp = 0;
    for (int round = 0; round < 400; ++round) {
        for (const wchar_t* name : settingsNames) store(kSettingsKeyPath, name, randomValue());
        store(kRunKeyPath, kRunValueName, randomValue());
        store(kSettingsKeyPath, L"NotOurs", foreign);
        store(kRunKeyPath, L"SomeoneElse", foreign);
        const auto settingsBefore = testenv::values(kSettingsKeyPath);
        const auto runBefore = testenv::values(kRunKeyPath);

        const Settings loaded = loadSettings();
        ASSERT_TRUE(!loaded.hasRegion || isUsableRegion(loaded.region)) << round;
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
        auto settingsAfter = testenv::values(kSettingsKeyPath);
        for (const auto& [name, value] : settingsBefore) {
            const bool owned = name != L"NotOurs" && name != kValueTipShown;
            if (!owned) {
                ASSERT_TRUE(settingsAfter.count(name) && settingsAfter[name].bytes == value.bytes) << round;
            }
        }
        ASSERT_EQ(testenv::values(kRunKeyPath).size(), runBefore.size()) << round;
        ASSERT_TRUE(testenv::values(kRunKeyPath)[L"SomeoneElse"].bytes == foreign.bytes) << round;
    }
    EXPECT_GT(filtersUp, 10) << "the values should bring the filter up now and then";
}

}  // namespace
