// The registry store: read rules of loadSettings, what saveSettings and
// saveCurrentSettings write, and what initFilterEngine copies into the state.
// HKEY_CURRENT_USER is redirected to a scratch key by the test environment.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "filter/controller.h"
#include "settings/settings.h"
#include "support/test_env.h"

namespace {

constexpr DWORD kMissingLeft = 0x7FFFFFFF;

DWORD bits(LONG value) { return static_cast<DWORD>(value); }

template <typename Number>
void writeTyped(const wchar_t* name, DWORD type, Number value) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    testenv::writeValue(name, {type, {bytes, bytes + sizeof value}});
}
void writeQword(const wchar_t* name, std::uint64_t value) { writeTyped(name, REG_QWORD, value); }

// Type of a stored value, or nullopt when it is absent.
std::optional<DWORD> valueType(const wchar_t* name) {
    const auto stored = testenv::values();
    return stored.count(name) ? std::optional(stored.at(name).type) : std::nullopt;
}

void writeRegion(LONG left, LONG top, LONG right, LONG bottom, DWORD hasRegion) {
    testenv::writeDword(kValueRegionLeft, bits(left));
    testenv::writeDword(kValueRegionTop, bits(top));
    testenv::writeDword(kValueRegionRight, bits(right));
    testenv::writeDword(kValueRegionBottom, bits(bottom));
    testenv::writeDword(kValueHasRegion, hasRegion);
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string describe(const Settings& s) {
    return "style " + std::to_string(static_cast<std::uint32_t>(s.style)) + ", outline " +
           std::to_string(s.outline) + ", hideOverlays " + std::to_string(s.hideOverlays) + ", enabled " +
           std::to_string(s.enabled) + ", hasRegion " + std::to_string(s.hasRegion) + ", region (" +
           std::to_string(s.region.left) + ", " + std::to_string(s.region.top) + ", " +
           std::to_string(s.region.right) + ", " + std::to_string(s.region.bottom) + ")";
}

void expectSettings(const Settings& actual, const Settings& expected) {
    EXPECT_EQ(actual.style, expected.style);
    EXPECT_EQ(actual.outline, expected.outline);
    EXPECT_EQ(actual.hideOverlays, expected.hideOverlays);
    EXPECT_EQ(actual.enabled, expected.enabled);
    EXPECT_EQ(actual.hasRegion, expected.hasRegion);
    EXPECT_TRUE(sameRect(actual.region, expected.region))
        << "got " << describe(actual) << "\nwant " << describe(expected);
}

Settings defaults() { return Settings{}; }

Settings withRegion(LONG left, LONG top, LONG right, LONG bottom) {
    Settings s;
    s.hasRegion = true;
    s.region = RECT{left, top, right, bottom};
    return s;
}

struct LoadCase {
    const char* name;
    std::function<void()> arrange;
    std::function<Settings()> expected;
};

void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }

class SettingsLoad : public testing::TestWithParam<LoadCase> {
protected:
    void SetUp() override { testenv::clearSettingsKey(); }
    void TearDown() override { testenv::clearSettingsKey(); }
};

TEST_P(SettingsLoad, AppliesReadRules) {
    GetParam().arrange();
    expectSettings(loadSettings(), GetParam().expected());
}

Settings styled(FilterStyle style) {
    Settings s;
    s.style = style;
    return s;
}

Settings outlineOff() {
    Settings s;
    s.outline = false;
    return s;
}

const LoadCase kLoadCases[] = {
    {"NoKey", [] {}, defaults},
    {"OnlyUnrelatedValues", [] { testenv::writeString(L"Unrelated", L"x"); }, defaults},

    {"StyleOne", [] { testenv::writeDword(kValueStyle, 1); }, [] { return styled(FilterStyle::OneWindow); }},
    {"StyleTwo", [] { testenv::writeDword(kValueStyle, 2); }, [] { return styled(FilterStyle::SolidCover); }},
    {"StyleThree", [] { testenv::writeDword(kValueStyle, 3); }, defaults},
    {"StyleAllOnes", [] { testenv::writeDword(kValueStyle, 0xFFFFFFFF); }, defaults},
    {"StyleAsString", [] { testenv::writeString(kValueStyle, L"1"); }, defaults},
    {"StyleAsQword", [] { writeQword(kValueStyle, 1); }, defaults},
    {"StyleAsBinary", [] { testenv::writeBinary(kValueStyle, {2, 0, 0, 0}); }, defaults},
    {"StyleBigEndian", [] { writeTyped(kValueStyle, REG_DWORD_BIG_ENDIAN, 1); }, defaults},

    {"OutlineZero", [] { testenv::writeDword(kValueOutline, 0); }, outlineOff},
    {"OutlineFive", [] { testenv::writeDword(kValueOutline, 5); }, defaults},
    {"OutlineAsString", [] { testenv::writeString(kValueOutline, L"0"); }, defaults},
    {"OutlineAsBinary", [] { testenv::writeBinary(kValueOutline, {0, 0, 0, 0}); }, defaults},
    {"OutlineAsQword", [] { writeQword(kValueOutline, 0); }, defaults},

    {"HideOverlaysSeven",
     [] { testenv::writeDword(kValueHideOverlays, 7); },
     [] {
         Settings s;
         s.hideOverlays = true;
         return s;
     }},
    {"HideOverlaysAsQword", [] { writeQword(kValueHideOverlays, 1); }, defaults},
    {"EnabledOne",
     [] { testenv::writeDword(kValueEnabled, 1); },
     [] {
         Settings s;
         s.enabled = true;
         return s;
     }},
    {"EnabledAsBinary", [] { testenv::writeBinary(kValueEnabled, {1, 0, 0, 0}); }, defaults},
    {"EnabledAsString", [] { testenv::writeString(kValueEnabled, L"1"); }, defaults},

    {"Region24By24", [] { writeRegion(100, 200, 124, 224, 1); }, [] { return withRegion(100, 200, 124, 224); }},
    {"Region23Wide", [] { writeRegion(100, 200, 123, 400, 1); }, defaults},
    {"Region23High", [] { writeRegion(100, 200, 400, 223, 1); }, defaults},
    {"RegionInverted", [] { writeRegion(500, 500, 100, 100, 1); }, defaults},
    {"HasRegionZero", [] { writeRegion(0, 0, 800, 600, 0); }, defaults},
    {"HasRegionAbsent",
     [] {
         writeRegion(0, 0, 800, 600, 1);
         testenv::deleteValue(kValueHasRegion);
     },
     defaults},
    {"HasRegionAsQword",
     [] {
         writeRegion(0, 0, 800, 600, 1);
         writeQword(kValueHasRegion, 1);
     },
     defaults},
    {"HasRegionTwo", [] { writeRegion(0, 0, 800, 600, 2); }, [] { return withRegion(0, 0, 800, 600); }},
    {"NegativeLeft",
     [] { writeRegion(-1280, -100, -200, 500, 1); },
     [] { return withRegion(-1280, -100, -200, 500); }},
    {"LeftMissingRight1920",
     [] {
         writeRegion(0, 0, 1920, 1080, 1);
         testenv::deleteValue(kValueRegionLeft);
     },
     defaults},
    // A missing left reads as 0x7FFFFFFF; right - left in 32 bits would wrap
    // to a huge positive width.
    {"LeftMissingRightNegative",
     [] {
         writeRegion(0, 0, -2, 1080, 1);
         testenv::deleteValue(kValueRegionLeft);
     },
     defaults},
    {"LeftAsQwordRightNegative",
     [] {
         writeRegion(0, 0, -2, 1080, 1);
         writeQword(kValueRegionLeft, 0);
     },
     defaults},
    {"LeftStoredMaxRightNegative", [] { writeRegion(kMissingLeft, 0, -100, 1080, 1); }, defaults},
    {"TopStoredMaxBottomNegative", [] { writeRegion(0, kMissingLeft, 1920, -100, 1); }, defaults},
    {"MinLeftMaxRight",
     [] { writeRegion(INT32_MIN, 0, INT32_MAX, 1080, 1); },
     [] { return withRegion(INT32_MIN, 0, INT32_MAX, 1080); }},
    {"TopMissingDefaultsToZero",
     [] {
         writeRegion(10, 999, 400, 300, 1);
         testenv::deleteValue(kValueRegionTop);
     },
     [] { return withRegion(10, 0, 400, 300); }},
    {"BottomAsBinary",
     [] {
         writeRegion(10, 20, 400, 300, 1);
         testenv::writeBinary(kValueRegionBottom, {0x2C, 0x01, 0, 0});
     },
     defaults},

    {"EveryValue",
     [] {
         testenv::writeDword(kValueStyle, 2);
         testenv::writeDword(kValueOutline, 0);
         testenv::writeDword(kValueHideOverlays, 1);
         testenv::writeDword(kValueEnabled, 1);
         writeRegion(-1920, 0, 1920, 1080, 1);
     },
     [] {
         Settings s = withRegion(-1920, 0, 1920, 1080);
         s.style = FilterStyle::SolidCover;
         s.outline = false;
         s.hideOverlays = true;
         s.enabled = true;
         return s;
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsLoad, testing::ValuesIn(kLoadCases),
                         [](const testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

class SettingsSave : public testing::Test {
protected:
    void SetUp() override { testenv::clearSettingsKey(); }
    void TearDown() override { testenv::clearSettingsKey(); }
};

TEST_F(SettingsSave, WritesEveryValueAsDword) {
    Settings s = withRegion(-1280, -100, 640, 480);
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
        SCOPED_TRACE(testenv::narrow(value.name));
        EXPECT_EQ(valueType(value.name), std::optional<DWORD>(REG_DWORD));
        EXPECT_EQ(testenv::readDword(value.name), std::optional<DWORD>(value.value));
    }
}

TEST_F(SettingsSave, BooleansAreWrittenAsOneOrZero) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        Settings s;
        s.outline = on;
        s.hideOverlays = on;
        s.enabled = on;
        saveSettings(s);
        for (const wchar_t* name : {kValueOutline, kValueHideOverlays, kValueEnabled}) {
            EXPECT_EQ(testenv::readDword(name), std::optional<DWORD>(on ? 1 : 0)) << testenv::narrow(name);
        }
    }
}

TEST_F(SettingsSave, RoundTripsThroughLoad) {
    const Settings cases[] = {
        Settings{},
        withRegion(-1280, -100, -1000, 200),
        withRegion(0, 0, 24, 24),
        [] {
            Settings s = withRegion(1920, 0, 3200, 1024);
            s.style = FilterStyle::OneWindow;
            s.outline = false;
            s.hideOverlays = true;
            s.enabled = true;
            return s;
        }(),
    };
    for (const Settings& s : cases) {
        SCOPED_TRACE(describe(s));
        testenv::clearSettingsKey();
        saveSettings(s);
        expectSettings(loadSettings(), s);
    }
}

TEST_F(SettingsSave, WithoutRegionKeepsOlderRegionValues) {
    saveSettings(withRegion(10, 20, 300, 400));
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
    EXPECT_TRUE(sameRect(loaded.region, RECT{0, 0, 0, 0}));
    EXPECT_TRUE(loaded.enabled);
}

TEST_F(SettingsSave, WithoutRegionIntoEmptyKeyWritesNoRegionValues) {
    Settings s;
    s.region = RECT{1, 2, 300, 400};  // ignored: hasRegion is false
    saveSettings(s);
    EXPECT_EQ(testenv::readDword(kValueHasRegion), std::optional<DWORD>(0));
    for (const wchar_t* name : {kValueRegionLeft, kValueRegionTop, kValueRegionRight, kValueRegionBottom}) {
        EXPECT_FALSE(testenv::valueExists(name)) << testenv::narrow(name);
    }
}

TEST_F(SettingsSave, OutlineFiveIsWrittenBackAsOne) {
    testenv::writeDword(kValueOutline, 5);
    const Settings loaded = loadSettings();
    EXPECT_TRUE(loaded.outline);
    saveSettings(loaded);
    EXPECT_EQ(testenv::readDword(kValueOutline), std::optional<DWORD>(1));
}

TEST_F(SettingsSave, ReplacesValuesOfTheWrongType) {
    testenv::writeString(kValueStyle, L"2");
    writeQword(kValueOutline, 0);
    testenv::writeBinary(kValueEnabled, {1, 0, 0, 0});
    Settings s = withRegion(0, 0, 100, 100);
    s.style = FilterStyle::SolidCover;
    s.outline = false;
    s.enabled = true;
    saveSettings(s);
    for (const wchar_t* name : {kValueStyle, kValueOutline, kValueEnabled}) {
        EXPECT_EQ(valueType(name), std::optional<DWORD>(REG_DWORD)) << testenv::narrow(name);
    }
    expectSettings(loadSettings(), s);
}

TEST_F(SettingsSave, LeavesOtherValuesOfTheKeyAlone) {
    testenv::writeDword(L"TipShown", 1);
    testenv::writeBinary(L"HiddenOverlays", {1, 2, 3, 4, 5, 6, 7, 8});
    saveSettings(withRegion(0, 0, 100, 100));
    EXPECT_EQ(testenv::readDword(L"TipShown"), std::optional<DWORD>(1));
    EXPECT_EQ(valueType(L"HiddenOverlays"), std::optional<DWORD>(REG_BINARY));
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

        Settings expected = withRegion(-1280, 10, 200, 300);
        expected.style = FilterStyle::SolidCover;
        expected.enabled = active;
        expected.outline = !active;
        expected.hideOverlays = active;
        expectSettings(loadSettings(), expected);

        DWORD values = 0;
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        EXPECT_EQ(values, 9u) << "only the nine settings values are written";
    }
}

TEST_F(SettingsSave, CurrentSettingsWithoutRegionKeepOlderRegion) {
    saveSettings(withRegion(5, 6, 700, 800));
    AppState state;
    state.filterActive = true;
    saveCurrentSettings(state);
    EXPECT_EQ(testenv::readDword(kValueEnabled), std::optional<DWORD>(1));
    EXPECT_EQ(testenv::readDword(kValueHasRegion), std::optional<DWORD>(0));
    EXPECT_EQ(testenv::readDword(kValueRegionRight), std::optional<DWORD>(700));
}

class SettingsInitFilterEngine : public testing::Test {
protected:
    void SetUp() override { testenv::clearSettingsKey(); }
    void TearDown() override { testenv::clearSettingsKey(); }
};

TEST_F(SettingsInitFilterEngine, CopiesEverythingButEnabled) {
    testenv::writeDword(kValueStyle, 2);
    testenv::writeDword(kValueOutline, 0);
    testenv::writeDword(kValueHideOverlays, 1);
    testenv::writeDword(kValueEnabled, 1);
    writeRegion(-1280, -100, 640, 480, 1);
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
    for (const wchar_t* name : {L"CP_Mirror", L"CP_Solid"}) {
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetClassInfoExW(instance, name, &info)) << testenv::narrow(name);
    }
}

TEST_F(SettingsInitFilterEngine, NoKeyGivesDefaultsAndCreatesNothing) {
    AppState state;
    state.outline = false;  // must be overwritten by the default
    state.hasRegion = true;
    state.region = RECT{1, 2, 3, 4};
    initFilterEngine(state, GetModuleHandleW(nullptr), nullptr);

    EXPECT_EQ(state.style, FilterStyle::ScreenArea);
    EXPECT_TRUE(state.outline);
    EXPECT_FALSE(state.hideOverlays);
    EXPECT_FALSE(state.hasRegion);
    EXPECT_TRUE(sameRect(state.region, RECT{0, 0, 0, 0}));
    EXPECT_FALSE(testenv::keyExists());
}

}  // namespace
