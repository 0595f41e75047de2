// Overlay hiding: the registry record that outlives a crash, which windows
// count as overlays, and that every stop of the filter shows them again.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/log.h"
#include "app/shell.h"
#include "overlays/detection.h"
#include "overlays/overlays.h"
#include "overlays/record.h"
#include "support/filter_fixtures.h"
#include "support/overlay_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

using fx::recordOf;
using fx::storedRecord;

const std::string kHidLine = testenv::narrow(logtext::hidOverlay);
const std::string kRestoredLine = testenv::narrow(logtext::restoredOverlays);
// The test display: the primary monitor and a second one to its left.
const RECT kPrimary{0, 0, 1920, 1080};
const RECT kLeftMonitor{-1280, 0, 0, 1024};
constexpr std::uint64_t kHigh = 0x80000000'0000ABCDull;

HWND handle(std::uint64_t value) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)); }


class Overlays : public fx::FilterFixture {
protected:
    void turnOnHidingOverlays() {
        setHideOverlays(appState, true);
        setRegion(appState, fx::rect(200, 150, 600, 450));
        setFilterActive(appState, true);
    }
};

TEST_F(Overlays, RecordKeepsEachHandleOnceInOrderAndNeverStoresAnEmptyValue) {
    addToHiddenOverlayRecord(handle(0x1234));
    addToHiddenOverlayRecord(handle(kHigh));
    EXPECT_TRUE(addToHiddenOverlayRecord(handle(0x1234)));
    const testenv::RawValue both{REG_BINARY, {0x34, 0x12, 0, 0, 0, 0, 0, 0, 0xCD, 0xAB, 0, 0, 0, 0, 0, 0x80}};
    EXPECT_EQ(storedRecord(), both) << "8 little-endian bytes a handle";
    EXPECT_EQ(readHiddenOverlayRecord(), (std::vector<HWND>{handle(0x1234), handle(kHigh)}));
    removeFromHiddenOverlayRecord(handle(0x99));
    EXPECT_EQ(storedRecord(), both);
    removeFromHiddenOverlayRecord(handle(0x1234));
    removeFromHiddenOverlayRecord(handle(kHigh));
    EXPECT_EQ(storedRecord(), std::nullopt);
}

TEST_F(Overlays, StartUpShowsWhatAValidRecordNamesAndLeavesAnInvalidOneAlone) {
    fx::PatternWindow kept(kPrimary, fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    ShowWindow(kept.get(), SW_HIDE);
    const testenv::RawValue threeOneAlive = recordOf({0x1234, fx::handleValue(kept.get()), 0x5678});
    struct Case {
        const char* what;
        testenv::RawValue stored;
        bool valid;
    };
    const Case cases[] = {
        {"three handles, one alive", threeOneAlive, true},
        {"all gone", recordOf({0x1234}), true},
        {"12 bytes", {REG_BINARY, std::vector<BYTE>(12, 0x11)}, false},
        {"0 bytes", {REG_BINARY, {}}, false},
        {"another type", {REG_QWORD, threeOneAlive.bytes}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        testenv::deleteLog();
        testenv::writeValue(kValueHiddenOverlays, test.stored);
        restorePreviousRunOverlays();
        EXPECT_EQ(storedRecord(), test.valid ? std::nullopt : std::optional(test.stored));
        EXPECT_EQ(testenv::logMessages(), test.valid ? std::vector{kRestoredLine} : std::vector<std::string>{});
    }
    EXPECT_TRUE(IsWindowVisible(kept.get()));
    EXPECT_TRUE(appState.hiddenOverlays.empty()) << "an earlier run's windows are not tracked";
    addToHiddenOverlayRecord(handle(0x42));
    EXPECT_EQ(storedRecord(), recordOf({0x42})) << "an add replaces an invalid value";
}

TEST_F(Overlays, OnlyTopMostLayeredOrClickThroughToolWindowsOfOthersOverMostOfAMonitorAreOverlays) {
    constexpr DWORD kOwn = 7;
    const WindowFacts overlay{42, true, false, ox::kOverlayStyle, {0, 0, 1000, 1000}, L"", L"Annotate", kPrimary};
    struct Case {
        const char* what;
        std::function<void(WindowFacts&)> change;
        bool qualifies;
    };
    const Case cases[] = {
        {"top-most layered click-through tool window over half the monitor", [](auto&) {}, true},
        {"of this process", [](auto& f) { f.processId = kOwn; }, false},
        {"invisible", [](auto& f) { f.visible = false; }, false},
        {"minimised", [](auto& f) { f.minimised = true; }, false},
        {"not top-most", [](auto& f) { f.exStyle &= ~WS_EX_TOPMOST; }, false},
        {"neither layered nor transparent", [](auto& f) { f.exStyle &= ~(WS_EX_LAYERED | WS_EX_TRANSPARENT); }, false},
        {"layered only", [](auto& f) { f.exStyle &= ~WS_EX_TRANSPARENT; }, true},
        {"transparent only", [](auto& f) { f.exStyle &= ~WS_EX_LAYERED; }, true},
        {"not a tool window", [](auto& f) { f.exStyle &= ~WS_EX_TOOLWINDOW; }, false},
        {"excluded class in other case", [](auto& f) { f.className = L"shell_traywnd"; }, true},
        {"class beginning with the prefix", [](auto& f) { f.className = L"Windows.UI.Core.CoreWindow"; }, false},
        {"class holding the prefix later", [](auto& f) { f.className = L"XWindows.UI.Core"; }, true},
        {"no class name", [](auto& f) { f.className = L""; }, true},
        {"200 x 200", [](auto& f) { f.rect = {0, 0, 200, 200}; f.monitor = {0, 0, 400, 200}; }, true},
        {"199 x 400", [](auto& f) { f.rect = {0, 0, 199, 400}; f.monitor = {0, 0, 300, 400}; }, false},
        {"exactly 45 %", [](auto& f) { f.rect = {0, 0, 1000, 450}; f.monitor = {0, 0, 1000, 1000}; }, false},
        {"45.1 %", [](auto& f) { f.rect = {0, 0, 1000, 451}; f.monitor = {0, 0, 1000, 1000}; }, true},
        {"large but mostly off its monitor", [](auto& f) { f.rect = {-1200, 0, 800, 1080}; }, false},
        {"no monitor known", [](auto& f) { f.monitor = {0, 0, 0, 0}; }, false},
        {"wider than 32 bits", [](auto& f) { f.rect = {-2000000000, -2000000000, 2000000000, 2000000000}; }, true},
    };
    for (const Case& test : cases) {
        WindowFacts facts = overlay;
        test.change(facts);
        EXPECT_EQ(isOverlayWindow(facts, kOwn), test.qualifies) << test.what;
    }
    for (const wchar_t* name : {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"SysShadow",
                                L"DV2ControlHost"}) {
        WindowFacts facts = overlay;
        facts.className = name;
        EXPECT_FALSE(isOverlayWindow(facts, kOwn)) << testenv::narrow(name);
    }
}

TEST_F(Overlays, AnotherProgramsWindowsAreMeasuredOnTheMonitorNearestTheirCentre) {
    const RECT centredOnLeft{-1280, 0, 700, 600};      // 58 % of the left monitor
    const RECT centredOnPrimary{-1280, 0, 1400, 600};  // 40 % of the primary
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary},
                              {ox::kOverlayStyle, centredOnLeft},
                              {ox::kOverlayStyle, centredOnPrimary}});
    fx::PatternWindow own(kPrimary, fx::solid(RGB(1, 2, 3)), fx::solid(RGB(1, 2, 3)));
    SetWindowLongPtrW(own.get(), GWL_EXSTYLE, ox::kOverlayStyle);

    hideOverlayWindows(appState);
    const HWND whole = helper.windowAt(kPrimary), left = helper.windowAt(centredOnLeft);
    EXPECT_EQ(std::set<HWND>(appState.hiddenOverlays.begin(), appState.hiddenOverlays.end()),
              (std::set<HWND>{whole, left}));
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(whole) && !IsWindowVisible(left); }));
    EXPECT_TRUE(IsWindowVisible(helper.windowAt(centredOnPrimary)) && IsWindowVisible(own.get()));
    EXPECT_EQ(readHiddenOverlayRecord(), appState.hiddenOverlays) << "recorded in the order of hiding";

    // One closed by its program while hidden: dropped without a trace.
    SendMessageTimeoutW(whole, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_FALSE(IsWindow(whole));
    restoreOverlayWindows(appState);
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(left); }));
    EXPECT_TRUE(appState.hiddenOverlays.empty());
    EXPECT_EQ(storedRecord(), std::nullopt);
}

TEST_F(Overlays, EachWindowIsHiddenOnceAndEveryStopOfTheFilterShowsItAgain) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kLeftMonitor}});
    const HWND overlay = helper.windows().at(0);
    // Its program hides and shows it when it next answers.
    const auto record = recordOf({fx::handleValue(overlay)});
    const auto visible = [&](bool on) { return waitUntil([&] { return (IsWindowVisible(overlay) != FALSE) == on; }); };
    auto hidden = [&] { return visible(false) && storedRecord() == record; };
    auto shown = [&] { return visible(true) && appState.hiddenOverlays.empty() && !storedRecord(); };
    turnOnHidingOverlays();
    EXPECT_TRUE(hidden());
    // Its program shows it again while it counts as hidden: not hidden, recorded or logged twice.
    ShowWindow(overlay, SW_SHOWNOACTIVATE);
    hideOverlayWindows(appState);
    EXPECT_EQ(appState.hiddenOverlays, std::vector{overlay});
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 1u);

    startPeek(appState);
    EXPECT_TRUE(shown()) << "peek";
    SendMessageW(main_.get(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_TRUE(hidden()) << "end of the peek";
    holdFilterWindows(appState, true);
    EXPECT_TRUE(shown()) << "tray menu open";
    holdFilterWindows(appState, false);
    EXPECT_TRUE(hidden()) << "tray menu closed";
    setHideOverlays(appState, false);
    EXPECT_TRUE(appState.filterActive && shown()) << "setting turned off";
}

TEST_F(Overlays, ARebuildTheirProgramAsksForWhileTheyComeBackNeitherEndsThePeekNorLosesOne) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}, {ox::kOverlayStyle, kLeftMonitor}},
                             L"notify=" + std::to_wstring(fx::handleValue(main_.get())));
    const auto all = [&](bool visible) {
        const auto is = [&](HWND window) { return (IsWindowVisible(window) != FALSE) == visible; };
        return waitUntil([&] { return is(helper.windows()[0]) && is(helper.windows()[1]); }, 6000);
    };
    turnOnHidingOverlays();
    ASSERT_TRUE(all(false));
    startPeek(appState);  // each sends a settings change as it is shown again
    EXPECT_TRUE(all(true) && appState.hiddenOverlays.empty() && !storedRecord());
    EXPECT_NE(appState.peekTimer, 0u) << "a settings change does not end a peek";
    SendMessageW(main_.get(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_TRUE(all(false) && appState.hiddenOverlays.size() == 2u);
    EXPECT_EQ(readHiddenOverlayRecord(), appState.hiddenOverlays);
}

TEST_F(Overlays, QuitReturnsWhileTheirProgramIsStalledAndTheOverlayComesBackOnceItAnswers) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    turnOnHidingOverlays();
    ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(overlay); }));
    ASSERT_TRUE(helper.stall());
    shutdownFilter(appState);
    EXPECT_TRUE(helper.stalled()) << "Quit waited for the stalled program";
    helper.wake();
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(overlay) != FALSE; })) << "not back once its program answers";
}

TEST_F(Overlays, TheFilterComesUpWhileTheirProgramIsStalledAndHidesTheOverlayOnceItAnswers) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    ASSERT_TRUE(helper.stall());
    turnOnHidingOverlays();
    EXPECT_TRUE(helper.stalled()) << "the filter waited for the stalled program";
    helper.wake();
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(overlay); })) << "not hidden once its program answers";
}

TEST_F(Overlays, AWindowThatCannotBeRecordedIsNotHidden) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    // HKEY_CURRENT_USER becomes a deleted key, where nothing can be written.
    HKEY doomed = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &doomed, nullptr);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Doomed");
    RegOverridePredefKey(HKEY_CURRENT_USER, doomed);
    hideOverlayWindows(appState);
    testenv::redirectRegistry();
    RegCloseKey(doomed);

    EXPECT_TRUE(IsWindowVisible(helper.windows().at(0)));
    EXPECT_TRUE(appState.hiddenOverlays.empty());
    EXPECT_EQ(testenv::countLogMessage(kHidLine), 0u);
}

}  // namespace
