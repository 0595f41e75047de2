// Overlay hiding: the registry record that outlives a crash, which windows
// count as overlays, and that every stop of the filter shows them again.
// Other programs' windows come from the overlay_helper process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <algorithm>
#include <string>
#include <vector>

#include "app/log.h"
#include "app/shell.h"
#include "overlays/overlays.h"
#include "support/filter_fixtures.h"
#include "support/overlay_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

const std::string kHidLine = testenv::narrow(logtext::hidOverlay);
const std::string kRestoredLine = testenv::narrow(logtext::restoredOverlays);
// The test display: the primary monitor, and a second one to its left.
const RECT kPrimary{0, 0, 1920, 1080};
const RECT kLeftMonitor{-1280, 0, 0, 1024};

HWND handle(std::uint64_t value) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)); }
std::uint64_t value(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

void storeRecord(DWORD type, const std::vector<BYTE>& bytes) {
    RegistryKey key;
    ASSERT_EQ(key.openForWrite(kSettingsKeyPath), ERROR_SUCCESS);
    RegSetValueExW(key.get(), kValueHiddenOverlays, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Whether the action set or deleted any value of the settings key.
bool writesSettings(const std::function<void()>& action) {
    RegistryKey key;
    if (key.openForRead(kSettingsKeyPath) != ERROR_SUCCESS) return true;
    HANDLE changed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool watching =
        RegNotifyChangeKeyValue(key.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE) == ERROR_SUCCESS;
    action();
    const bool wrote = !watching || WaitForSingleObject(changed, 200) == WAIT_OBJECT_0;
    CloseHandle(changed);
    return wrote;
}

class OverlayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        testenv::clearSettingsKey();
        testenv::deleteLog();
        fx::freshAppState(main_.get());
    }
    void TearDown() override {
        fx::resetFilterState(appState);
        testenv::clearSettingsKey();
    }

    fx::HiddenMainWindow main_{mainWindowProc};
};

using OverlayRecord = OverlayFixture;
using OverlayClassify = OverlayFixture;
using OverlayCycle = OverlayFixture;

// ---- the record ------------------------------------------------------------

TEST_F(OverlayRecord, AddAppendsNewHandlesOnceAndRemoveRewritesTheRest) {
    addToHiddenOverlayRecord(handle(0x1234));
    addToHiddenOverlayRecord(handle(0x80000000'0000ABCDull));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({0x1234, 0x80000000'0000ABCDull}));
    EXPECT_EQ(readHiddenOverlayRecord(), (std::vector<HWND>{handle(0x1234), handle(0x80000000'0000ABCDull)}));

    EXPECT_FALSE(writesSettings([] { EXPECT_TRUE(addToHiddenOverlayRecord(handle(0x1234))); }));
    addToHiddenOverlayRecord(handle(0x99));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({0x1234, 0x80000000'0000ABCDull, 0x99}));

    removeFromHiddenOverlayRecord(handle(0x5555));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({0x1234, 0x80000000'0000ABCDull, 0x99}));
    removeFromHiddenOverlayRecord(handle(0x80000000'0000ABCDull));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({0x1234, 0x99}));
    removeFromHiddenOverlayRecord(handle(0x1234));
    removeFromHiddenOverlayRecord(handle(0x99));
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays)) << "an empty record is never stored";
}

TEST_F(OverlayRecord, InvalidValuesReadAsEmptyAndSurviveTheStartUpRestore) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Case cases[] = {
        {"12 bytes", REG_BINARY, std::vector<BYTE>(12, 0x11)},
        {"0 bytes", REG_BINARY, {}},
        {"another type", REG_QWORD, ox::recordBytes({0x1234})},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        storeRecord(test.type, test.bytes);
        EXPECT_TRUE(readHiddenOverlayRecord().empty());
        restorePreviousRunOverlays();
        EXPECT_EQ(ox::storedRecord(), (ox::StoredValue{test.type, test.bytes}));
    }
    EXPECT_TRUE(testenv::logMessages().empty());
    // The next add replaces an invalid value with a record of its own.
    addToHiddenOverlayRecord(handle(0x42));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({0x42}));
}

TEST_F(OverlayRecord, StartUpShowsWhatStillExistsDeletesTheRecordAndLogsOnce) {
    restorePreviousRunOverlays();
    EXPECT_TRUE(testenv::logMessages().empty()) << "no record, nothing to say";

    fx::PatternWindow kept(fx::rect(100, 100, 300, 300), fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    fx::PatternWindow gone1(fx::rect(100, 100, 300, 300), fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    fx::PatternWindow gone2(fx::rect(100, 100, 300, 300), fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    ShowWindow(kept.get(), SW_HIDE);
    storeRecord(REG_BINARY, ox::recordBytes({value(gone1.get()), value(kept.get()), value(gone2.get())}));
    gone1.destroy();
    gone2.destroy();

    restorePreviousRunOverlays();
    EXPECT_TRUE(IsWindowVisible(kept.get()));
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
    EXPECT_TRUE(appState.hiddenOverlays.empty()) << "a previous run's windows are not tracked";

    // Windows all gone: still deleted and logged.
    storeRecord(REG_BINARY, ox::recordBytes({0x1234}));
    restorePreviousRunOverlays();
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
    EXPECT_EQ(testenv::logMessages(), (std::vector<std::string>{kRestoredLine, kRestoredLine}));
}

// ---- which windows are overlays -------------------------------------------

TEST_F(OverlayClassify, RulesInOrder) {
    constexpr DWORD kOwn = 7;
    const OverlayWindowFacts overlay{42, true, false, L"Annotate", ox::kOverlayStyle, {0, 0, 1000, 1000},
                                     {0, 0, 1920, 1080}};
    struct Case {
        const char* what;
        std::function<void(OverlayWindowFacts&)> change;
        bool qualifies;
    };
    const Case cases[] = {
        {"a top-most layered click-through tool window over half the monitor", [](auto&) {}, true},
        {"of this process", [](auto& f) { f.processId = kOwn; }, false},
        {"invisible", [](auto& f) { f.visible = false; }, false},
        {"minimised", [](auto& f) { f.minimised = true; }, false},
        {"not top-most", [](auto& f) { f.exStyle &= ~WS_EX_TOPMOST; }, false},
        {"neither layered nor transparent", [](auto& f) { f.exStyle &= ~(WS_EX_LAYERED | WS_EX_TRANSPARENT); }, false},
        {"layered only", [](auto& f) { f.exStyle &= ~WS_EX_TRANSPARENT; }, true},
        {"transparent only", [](auto& f) { f.exStyle &= ~WS_EX_LAYERED; }, true},
        {"not a tool window", [](auto& f) { f.exStyle &= ~WS_EX_TOOLWINDOW; }, false},
        {"excluded class", [](auto& f) { f.className = L"Shell_TrayWnd"; }, false},
        {"excluded class in other case", [](auto& f) { f.className = L"shell_traywnd"; }, true},
        {"class beginning with the prefix", [](auto& f) { f.className = L"Windows.UI.Core.CoreWindow"; }, false},
        {"class holding the prefix later", [](auto& f) { f.className = L"XWindows.UI.Core"; }, true},
        {"no class name", [](auto& f) { f.className = L""; }, true},
        {"200 x 200 on a small monitor", [](auto& f) { f.rect = {0, 0, 200, 200}; f.monitor = {0, 0, 400, 200}; },
         true},
        {"199 x 400 on a small monitor", [](auto& f) { f.rect = {0, 0, 199, 400}; f.monitor = {0, 0, 300, 400}; },
         false},
        {"exactly 45 %", [](auto& f) { f.rect = {0, 0, 1000, 450}; f.monitor = {0, 0, 1000, 1000}; }, false},
        {"45.1 %", [](auto& f) { f.rect = {0, 0, 1000, 451}; f.monitor = {0, 0, 1000, 1000}; }, true},
        {"large but mostly off its monitor", [](auto& f) { f.rect = {-1200, 0, 800, 1080}; }, false},
        {"no monitor known", [](auto& f) { f.monitor = {0, 0, 0, 0}; }, false},
        {"wider than 32 bits can hold",
         [](auto& f) { f.rect = {-2000000000, -2000000000, 2000000000, 2000000000}; }, true},
    };
    for (const Case& test : cases) {
        OverlayWindowFacts facts = overlay;
        test.change(facts);
        EXPECT_EQ(isOverlayWindow(facts, kOwn), test.qualifies) << test.what;
    }
    for (std::wstring_view name : kExcludedOverlayClasses) {
        OverlayWindowFacts facts = overlay;
        facts.className = name;
        EXPECT_FALSE(isOverlayWindow(facts, kOwn)) << testenv::narrow(std::wstring(name));
    }
}

TEST_F(OverlayClassify, RealWindowsOfAnotherProgramAreMeasuredOnTheMonitorNearestTheirCentre) {
    const RECT wholePrimary = kPrimary;
    const RECT centredOnLeft{-1280, 0, 700, 600};    // 58 % of the left monitor, 20 % of the primary
    const RECT centredOnPrimary{-1280, 0, 1400, 600};  // 40 % of the primary, all of the left's width
    const RECT notTopMost{0, 0, 1920, 1000};
    ox::OverlayHelper helper({{ox::kOverlayStyle, wholePrimary},
                              {ox::kOverlayStyle, centredOnLeft},
                              {ox::kOverlayStyle, centredOnPrimary},
                              {ox::kOverlayStyle & ~WS_EX_TOPMOST, notTopMost}});
    ASSERT_EQ(helper.windows().size(), 4u);
    // This process's own overlay-like window never counts.
    fx::PatternWindow own(kPrimary, fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    SetWindowLongPtrW(own.get(), GWL_EXSTYLE, ox::kOverlayStyle);
    ASSERT_EQ(static_cast<DWORD>(GetWindowLongPtrW(own.get(), GWL_EXSTYLE)) & ox::kOverlayStyle, ox::kOverlayStyle);

    hideOverlayWindows(appState);
    const HWND hidden[] = {helper.windowAt(wholePrimary), helper.windowAt(centredOnLeft)};
    EXPECT_EQ(appState.hiddenOverlays.size(), 2u);
    for (HWND window : hidden) {
        EXPECT_NE(std::find(appState.hiddenOverlays.begin(), appState.hiddenOverlays.end(), window),
                  appState.hiddenOverlays.end());
        EXPECT_FALSE(IsWindowVisible(window));
    }
    EXPECT_TRUE(IsWindowVisible(helper.windowAt(centredOnPrimary)));
    EXPECT_TRUE(IsWindowVisible(helper.windowAt(notTopMost)));
    EXPECT_TRUE(IsWindowVisible(own.get()));
    EXPECT_EQ(readHiddenOverlayRecord(), appState.hiddenOverlays) << "recorded in the order of hiding";
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 2u);

    restoreOverlayWindows(appState);
    for (HWND window : hidden) EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(appState.hiddenOverlays.empty());
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
}

// ---- hiding and showing again --------------------------------------------

TEST_F(OverlayCycle, HidingTwiceHidesRecordsAndLogsEachWindowOnce) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    hideOverlayWindows(appState);
    EXPECT_FALSE(IsWindowVisible(overlay));
    // Its program shows it again while it counts as hidden.
    ShowWindow(overlay, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(overlay) != FALSE; }));
    hideOverlayWindows(appState);
    EXPECT_EQ(appState.hiddenOverlays, std::vector<HWND>{overlay});
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({value(overlay)}));
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 1u);
}

TEST_F(OverlayCycle, EveryStopOfTheFilterShowsThemAgain) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    auto hiddenNow = [&] {
        return !IsWindowVisible(overlay) && appState.hiddenOverlays == std::vector<HWND>{overlay} &&
               readHiddenOverlayRecord() == std::vector<HWND>{overlay};
    };
    auto shownNow = [&] {
        return IsWindowVisible(overlay) && appState.hiddenOverlays.empty() &&
               !testenv::valueExists(kValueHiddenOverlays);
    };
    setHideOverlays(appState, true);
    setRegion(appState, fx::rect(200, 150, 600, 450));
    setFilterActive(appState, true);
    EXPECT_TRUE(hiddenNow());

    startPeek(appState);
    EXPECT_TRUE(shownNow()) << "peek";
    SendMessageW(main_.get(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_TRUE(hiddenNow()) << "end of the peek";

    pauseFilterWindows(appState, true);
    EXPECT_TRUE(shownNow()) << "tray menu open";
    pauseFilterWindows(appState, false);
    EXPECT_TRUE(hiddenNow()) << "tray menu closed";

    setHideOverlays(appState, false);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_TRUE(shownNow()) << "setting turned off";
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 3u);

    setHideOverlays(appState, true);
    setFilterActive(appState, false);
    EXPECT_TRUE(shownNow()) << "filter off";
}

TEST_F(OverlayCycle, AWindowDestroyedWhileHiddenIsDroppedFromTheRecord) {
    const RECT left = kLeftMonitor;
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}, {ox::kOverlayStyle, left}});
    const HWND doomed = helper.windowAt(kPrimary), survivor = helper.windowAt(left);
    hideOverlayWindows(appState);
    ASSERT_EQ(appState.hiddenOverlays.size(), 2u);
    SendMessageTimeoutW(doomed, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_FALSE(IsWindow(doomed));

    restoreOverlayWindows(appState);
    EXPECT_TRUE(IsWindowVisible(survivor));
    EXPECT_TRUE(appState.hiddenOverlays.empty());
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
    restoreOverlayWindows(appState);  // again: nothing to do
    EXPECT_TRUE(IsWindowVisible(survivor));
}

TEST_F(OverlayCycle, AWindowThatCannotBeRecordedIsNotHidden) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    // HKEY_CURRENT_USER becomes a deleted key, where nothing can be written.
    HKEY current = nullptr, doomed = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &current), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(current, L"Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &doomed, nullptr),
              ERROR_SUCCESS);
    RegDeleteKeyW(current, L"Doomed");
    RegOverridePredefKey(HKEY_CURRENT_USER, doomed);
    hideOverlayWindows(appState);
    RegOverridePredefKey(HKEY_CURRENT_USER, current);
    RegCloseKey(doomed);
    RegCloseKey(current);

    EXPECT_TRUE(IsWindowVisible(helper.windows().at(0)));
    EXPECT_TRUE(appState.hiddenOverlays.empty());
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 0u);
}

}  // namespace
