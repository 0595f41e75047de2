// The registry store: how every stored value reads (one table), that random
// values stumble nothing, what saveSettings and saveCurrentSettings write,
// and what initFilterEngine copies into the state. HKEY_CURRENT_USER is
// redirected to a scratch key by the test environment.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/launch.h"
#include "app/tray.h"
#include "filter/controller.h"
#include "filter/mirror_windows.h"
#include "overlays/overlays.h"
#include "overlays/record.h"
#include "settings/settings.h"
#include "support/shell_fixtures.h"
#include "support/test_env.h"

namespace {

using testenv::RawValue;

DWORD bits(LONG value) { return static_cast<DWORD>(value); }

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Values to store, or to delete (nullopt), in order.
struct Put {
    const wchar_t* name;
    std::optional<RawValue> value;
    const wchar_t* key = nullptr;  // the settings key
};
using Puts = std::vector<Put>;

void store(const Puts& puts) {
    for (const Put& put : puts) testenv::writeValue(put.name, put.value, put.key);
}

// The same value under every name the program reads.
Puts everyName(const std::optional<RawValue>& value) {
    Puts puts;
    for (const wchar_t* name : {kValueStyle, kValueOutline, kValueHideOverlays, kValueEnabled, kValueRegionLeft,
                                kValueRegionTop, kValueRegionRight, kValueRegionBottom, kValueHasRegion,
                                kValueTipShown, kValueHiddenOverlays}) {
        puts.push_back({name, value});
    }
    puts.push_back({kRunValueName, value, kRunKeyPath});
    return puts;
}

// The four choices besides the region, stored.
Puts choices(DWORD style, DWORD outline, DWORD hideOverlays, DWORD enabled) {
    return {{kValueStyle, RawValue::dword(style)}, {kValueOutline, RawValue::dword(outline)},
            {kValueHideOverlays, RawValue::dword(hideOverlays)}, {kValueEnabled, RawValue::dword(enabled)}};
}

// A stored region, then the changes.
Puts region(LONG left, LONG top, LONG right, LONG bottom, DWORD hasRegion, const Puts& changes = {}) {
    Puts puts{{kValueRegionLeft, RawValue::dword(bits(left))},   {kValueRegionTop, RawValue::dword(bits(top))},
              {kValueRegionRight, RawValue::dword(bits(right))}, {kValueRegionBottom, RawValue::dword(bits(bottom))},
              {kValueHasRegion, RawValue::dword(hasRegion)}};
    puts.insert(puts.end(), changes.begin(), changes.end());
    return puts;
}

// Everything the program reads from the registry, in one line.
std::string described(const Settings& s, bool tipShown, bool atLogin, size_t overlays) {
    return "style " + std::to_string(static_cast<std::uint32_t>(s.style)) + ", outline " + std::to_string(s.outline) +
           ", hideOverlays " + std::to_string(s.hideOverlays) + ", enabled " + std::to_string(s.enabled) +
           ", hasRegion " + std::to_string(s.hasRegion) + " (" + std::to_string(s.region.left) + ", " +
           std::to_string(s.region.top) + ", " + std::to_string(s.region.right) + ", " +
           std::to_string(s.region.bottom) + "), tip shown " + std::to_string(tipShown) + ", at login " +
           std::to_string(atLogin) + ", overlays " + std::to_string(overlays);
}

class Registry : public testing::Test {
protected:
    void SetUp() override { testenv::clearSettingsKey(); }
    void TearDown() override {
        testenv::clearSettingsKey();
        testenv::deleteValue(kRunValueName, kRunKeyPath);
    }
};
using SettingsLoad = Registry;
using SettingsSave = Registry;
using SettingsInitFilterEngine = Registry;

TEST_F(SettingsLoad, AValueCountsOnlyWithItsTypeSizeAndRangeAndARegionOnlyWhenUsable) {
    const std::optional<DWORD> D;  // as when absent: the setting's default
    using V = RawValue;
    const V twelveBytes{REG_BINARY, std::vector<BYTE>(12, 1)}, noDword = V::qword(1);
    const Put noLeft{kValueRegionLeft, {}}, noTop{kValueRegionTop, {}}, qwordLeft{kValueRegionLeft, noDword};
    const struct {
        const char* what;
        Puts stored;
        std::optional<DWORD> style, outline, hideOverlays, enabled;
        RECT region;  // empty for none
        bool tipShown, atLogin;
        size_t overlays;
    } rows[] = {
        {"no key", {}, D, D, D, D, {}, 0, 0, 0},
        {"none of the values", everyName(std::nullopt), D, D, D, D, {}, 0, 0, 0},
        {"REG_DWORD 0", everyName(V::dword(0)), 0, 0, 0, 0, {}, 0, 0, 0},
        {"REG_DWORD 2", everyName(V::dword(2)), 2, 1, 1, 1, {}, 1, 0, 0},
        {"REG_DWORD 3, no style", everyName(V::dword(3)), D, 1, 1, 1, {}, 1, 0, 0},
        {"REG_DWORD 0xFFFFFFFF, no style", everyName(V::dword(0xFFFFFFFF)), D, 1, 1, 1, {}, 1, 0, 0},
        {"REG_DWORD of 1 byte, the rest 0", everyName(V{REG_DWORD, {1}}), 1, 1, 1, 1, {}, 1, 0, 0},
        {"REG_DWORD of 5 bytes", everyName(V{REG_DWORD, {2, 0, 0, 0, 0}}), D, D, D, D, {}, 0, 0, 0},
        {"REG_DWORD_BIG_ENDIAN", everyName(V::of(REG_DWORD_BIG_ENDIAN, 1)), D, D, D, D, {}, 0, 0, 0},
        {"REG_QWORD", everyName(noDword), D, D, D, D, {}, 0, 0, 0},
        {"REG_BINARY of 4 bytes", everyName(V{REG_BINARY, {1, 0, 0, 0}}), D, D, D, D, {}, 0, 0, 0},
        {"REG_BINARY of 8 bytes", everyName(V::of(REG_BINARY, 1ull)), D, D, D, D, {}, 0, 0, 1},
        {"REG_BINARY of 12 bytes", everyName(twelveBytes), D, D, D, D, {}, 0, 0, 0},
        {"REG_SZ", everyName(V::sz(L"1")), D, D, D, D, {}, 0, 1, 0},
        {"REG_SZ of 2046 bytes", everyName(V::sz(std::wstring(1022, L'x'))), D, D, D, D, {}, 0, 1, 0},
        {"REG_SZ of 2048 bytes", everyName(V::sz(std::wstring(1023, L'x'))), D, D, D, D, {}, 0, 0, 0},
        {"24 x 24", region(100, 200, 124, 224, 1), D, D, D, D, {100, 200, 124, 224}, 0, 0, 0},
        {"23 wide", region(100, 200, 123, 400, 1), D, D, D, D, {}, 0, 0, 0},
        {"23 high", region(100, 200, 400, 223, 1), D, D, D, D, {}, 0, 0, 0},
        {"inverted", region(500, 500, 100, 100, 1), D, D, D, D, {}, 0, 0, 0},
        {"HasRegion 0", region(0, 0, 800, 600, 0), D, D, D, D, {}, 0, 0, 0},
        {"HasRegion 2", region(0, 0, 800, 600, 2), D, D, D, D, {0, 0, 800, 600}, 0, 0, 0},
        {"HasRegion absent", region(0, 0, 800, 600, 1, {{kValueHasRegion, {}}}), D, D, D, D, {}, 0, 0, 0},
        {"HasRegion not a DWORD", region(0, 0, 800, 600, 1, {{kValueHasRegion, noDword}}), D, D, D, D, {}, 0, 0, 0},
        {"negative sides", region(-1280, -100, -200, 500, 1), D, D, D, D, {-1280, -100, -200, 500}, 0, 0, 0},
        {"the widest", region(INT32_MIN, 0, INT32_MAX, 1080, 1), D, D, D, D, {INT32_MIN, 0, INT32_MAX, 1080}, 0, 0, 0},
        {"top absent reads as 0", region(10, 999, 400, 300, 1, {noTop}), D, D, D, D, {10, 0, 400, 300}, 0, 0, 0},
        {"left absent", region(0, 0, 1920, 1080, 1, {noLeft}), D, D, D, D, {}, 0, 0, 0},
        // An absent left reads as 0x7FFFFFFF: right - left in 32 bits would wrap to a huge width.
        {"left absent, right negative", region(0, 0, -2, 1080, 1, {noLeft}), D, D, D, D, {}, 0, 0, 0},
        {"left not a DWORD, right negative", region(0, 0, -2, 1080, 1, {qwordLeft}), D, D, D, D, {}, 0, 0, 0},
        {"left 0x7FFFFFFF, right negative", region(0x7FFFFFFF, 0, -100, 1080, 1), D, D, D, D, {}, 0, 0, 0},
        {"top 0x7FFFFFFF, bottom negative", region(0, 0x7FFFFFFF, 1920, -100, 1), D, D, D, D, {}, 0, 0, 0},
        {"each in its place", region(-20, 10, 300, 400, 1, choices(2, 0, 1, 1)), 2, 0, 1, 1, {-20, 10, 300, 400}, 0, 0, 0},
    };
    const Settings defaults;
    for (const auto& row : rows) {
        testenv::clearSettingsKey();
        testenv::deleteValue(kRunValueName, kRunKeyPath);
        store(row.stored);
        Settings expected;
        expected.style = row.style ? static_cast<FilterStyle>(*row.style) : defaults.style;
        expected.outline = row.outline ? *row.outline != 0 : defaults.outline;
        expected.hideOverlays = row.hideOverlays ? *row.hideOverlays != 0 : defaults.hideOverlays;
        expected.enabled = row.enabled ? *row.enabled != 0 : defaults.enabled;
        expected.hasRegion = !IsRectEmpty(&row.region);
        expected.region = expected.hasRegion ? row.region : defaults.region;
        EXPECT_EQ(described(loadSettings(), wholeScreenTipShown(), isLaunchAtLoginEnabled(),
                            readHiddenOverlayRecord().size()),
                  described(expected, row.tipShown, row.atLogin, row.overlays))
            << row.what;
    }
}

// Filled four hundred times with random types, lengths and bytes (fixed
// seed): loading, starting, stopping, the menu and the overlay restore never
// stumble, and nothing but the program's own values is written.
class HostileRegistry : public shellfx::ShellFixture {
protected:
    std::optional<RawValue> randomValue() {
        const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                               REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,
                               REG_RESOURCE_REQUIREMENTS_LIST, REG_QWORD};
        const DWORD sane[] = {0, 1, 2, 100, 600, 1000, 0x7FFFFFFF, 0x80000000, 0xFFFFFB00};
        const bool present = pick(13) != 0;
        RawValue v{types[pick(std::size(types))], {}};
        const size_t length = pick(10) == 0 ? 4096 : pick(65);
        for (size_t i = 0; i < length; ++i) v.bytes.push_back(static_cast<BYTE>(pick(256)));
        if (pick(4) != 0) v = RawValue::dword(sane[pick(std::size(sane))]);  // so that filters do come up
        return present ? std::optional(v) : std::nullopt;
    }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

    std::mt19937 random_{20261208};
};

TEST_F(HostileRegistry, RandomValuesStumbleNothingAndChangeNoValueOfAnotherProgram) {
    const RawValue foreign = RawValue::sz(L"x");
    int filtersUp = 0;
    for (int round = 0; round < 400; ++round) {
        Puts puts = everyName({});
        for (Put& put : puts) put.value = randomValue();
        store(puts);
        testenv::writeValue(L"NotOurs", foreign);
        testenv::writeValue(L"SomeoneElse", foreign, kRunKeyPath);
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
            if (name == L"NotOurs" || name == kValueTipShown) {
                ASSERT_TRUE(settingsAfter.count(name) && settingsAfter[name].bytes == value.bytes) << round;
            }
        }
        ASSERT_EQ(testenv::values(kRunKeyPath).size(), runBefore.size()) << round;
        ASSERT_EQ(testenv::value(L"SomeoneElse", kRunKeyPath), foreign) << round;
    }
    EXPECT_GT(filtersUp, 10) << "the values should bring the filter up now and then";
}

TEST_F(SettingsSave, WritesEveryValueAsDword) {
    Settings s;
    s.hasRegion = true;
    s.region = RECT{-1280, -100, 640, 480};
    s.style = FilterStyle::SolidCover;
    s.outline = false;
    s.hideOverlays = true;
    s.enabled = true;

    EXPECT_EQ(saveSettings(s), ERROR_SUCCESS);

    const struct {
        const wchar_t* name;
        DWORD value;
    } expected[] = {
        {kValueStyle, 2},         {kValueOutline, 0},           {kValueHideOverlays, 1},
        {kValueEnabled, 1},       {kValueHasRegion, 1},         {kValueRegionLeft, bits(-1280)},
        {kValueRegionTop, bits(-100)}, {kValueRegionRight, 640}, {kValueRegionBottom, 480},
    };
    for (const auto& value : expected) {
        EXPECT_EQ(testenv::value(value.name), RawValue::dword(value.value)) << testenv::narrow(value.name);
    }
}

TEST_F(SettingsSave, WithoutRegionKeepsOlderRegionValues) {
    Settings with;
    with.hasRegion = true;
    with.region = RECT{10, 20, 300, 400};
    saveSettings(with);
    Settings off;
    off.enabled = true;
    saveSettings(off);

    EXPECT_EQ(testenv::readDword(kValueHasRegion), std::optional<DWORD>(0));
    EXPECT_EQ(testenv::readDword(kValueRegionLeft), std::optional<DWORD>(10));
    EXPECT_EQ(testenv::readDword(kValueRegionTop), std::optional<DWORD>(20));
    EXPECT_EQ(testenv::readDword(kValueRegionRight), std::optional<DWORD>(300));
    EXPECT_EQ(testenv::readDword(kValueRegionBottom), std::optional<DWORD>(400));
    const Settings loaded = loadSettings();
    EXPECT_FALSE(loaded.hasRegion);
    EXPECT_TRUE(loaded.enabled);
}

TEST_F(SettingsSave, WithoutRegionIntoEmptyKeyWritesNoRegionValues) {
    Settings s;
    s.region = RECT{1, 2, 300, 400};  // ignored: hasRegion is false
    saveSettings(s);
    EXPECT_EQ(testenv::readDword(kValueHasRegion), std::optional<DWORD>(0));
    for (const wchar_t* name : {kValueRegionLeft, kValueRegionTop, kValueRegionRight, kValueRegionBottom}) {
        EXPECT_FALSE(testenv::value(name)) << testenv::narrow(name);
    }
}

TEST_F(SettingsSave, ReplacesValuesOfTheWrongType) {
    testenv::writeValue(kValueStyle, RawValue::sz(L"2"));
    testenv::writeValue(kValueOutline, RawValue::qword(0));
    testenv::writeValue(kValueEnabled, RawValue{REG_BINARY, {1, 0, 0, 0}});
    Settings s;
    s.style = FilterStyle::SolidCover;
    s.outline = false;
    s.enabled = true;
    saveSettings(s);
    EXPECT_EQ(testenv::value(kValueStyle), RawValue::dword(2));
    EXPECT_EQ(testenv::value(kValueOutline), RawValue::dword(0));
    EXPECT_EQ(testenv::value(kValueEnabled), RawValue::dword(1));
}

TEST_F(SettingsSave, LeavesOtherValuesOfTheKeyAlone) {
    const RawValue record{REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}};
    testenv::writeDword(kValueTipShown, 1);
    testenv::writeValue(kValueHiddenOverlays, record);
    saveSettings(Settings{});
    EXPECT_EQ(testenv::readDword(kValueTipShown), std::optional<DWORD>(1));
    EXPECT_EQ(testenv::value(kValueHiddenOverlays), record);
}

TEST_F(SettingsSave, CurrentSettingsMapFilterActiveToEnabled) {
    for (const bool active : {true, false}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        testenv::clearSettingsKey();
        AppState state;
        state.style = FilterStyle::SolidCover;
        state.filterActive = active;
        state.outline = !active;
        state.hideOverlays = active;
        state.hasRegion = true;
        state.region = RECT{-1280, 10, 200, 300};
        state.targetWindow = GetDesktopWindow();
        state.targetTitle = L"not persisted";

        saveCurrentSettings(state);

        const Settings loaded = loadSettings();
        EXPECT_EQ(loaded.style, FilterStyle::SolidCover);
        EXPECT_EQ(loaded.enabled, active);
        EXPECT_EQ(loaded.outline, !active);
        EXPECT_EQ(loaded.hideOverlays, active);
        EXPECT_TRUE(loaded.hasRegion && sameRect(loaded.region, state.region));
        EXPECT_EQ(testenv::values().size(), 9u) << "only the nine settings values are written";
    }
}

TEST_F(SettingsInitFilterEngine, CopiesEverythingButEnabled) {
    store(region(-1280, -100, 640, 480, 1, choices(2, 0, 1, 1)));
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    AppState state;
    initFilterEngine(state, instance, nullptr);

    EXPECT_EQ(state.instance, instance);
    EXPECT_EQ(state.mainWindow, nullptr);
    EXPECT_EQ(state.style, FilterStyle::SolidCover);
    EXPECT_FALSE(state.outline);
    EXPECT_TRUE(state.hideOverlays);
    EXPECT_TRUE(state.hasRegion);
    EXPECT_TRUE(sameRect(state.region, RECT{-1280, -100, 640, 480}));
    EXPECT_FALSE(state.filterActive) << "the saved Enabled is applied later in start-up";
    EXPECT_TRUE(state.mirrorWindows.empty());
    EXPECT_EQ(state.coverWindow, nullptr);
    EXPECT_EQ(testenv::readDword(kValueEnabled), std::optional<DWORD>(1)) << "loading must not write";
}

TEST_F(SettingsInitFilterEngine, RegistersTheFilterWindowClasses) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    AppState state;
    initFilterEngine(state, instance, nullptr);
    for (const wchar_t* name : {kMirrorClass, kCoverClass}) {
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetClassInfoExW(instance, name, &info)) << testenv::narrow(name);
    }
}

TEST_F(SettingsInitFilterEngine, NoKeyGivesDefaultsAndCreatesNothing) {
    AppState state;
    state.style = FilterStyle::OneWindow;  // each must be overwritten by the default
    state.outline = !state.outline;
    state.hideOverlays = !state.hideOverlays;
    state.hasRegion = true;
    state.region = RECT{1, 2, 3, 4};
    initFilterEngine(state, GetModuleHandleW(nullptr), nullptr);

    const Settings defaults;
    EXPECT_EQ(state.style, defaults.style);
    EXPECT_EQ(state.outline, defaults.outline);
    EXPECT_EQ(state.hideOverlays, defaults.hideOverlays);
    EXPECT_EQ(state.hasRegion, defaults.hasRegion);
    EXPECT_TRUE(sameRect(state.region, defaults.region));
    EXPECT_FALSE(testenv::keyExists());
}

}  // namespace
