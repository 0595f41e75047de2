// The filter controller's states (off, showing, peeking, paused) and what
// each operation saves, driven on the global state with a hidden stand-in
// for the main window that runs the program's own window procedure, so the
// peek timer ends the way it does in the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/log.h"
#include "app/shell.h"
#include "support/filter_fixtures.h"
#include "support/overlay_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

using fx::Box;

namespace {

const std::string kNoTargetLine = testenv::narrow(logtext::windowModeNoTarget);
const std::string kTargetGoneLine = testenv::narrow(logtext::windowMirrorTargetGone);
const std::string kFallbackLine = testenv::narrow(logtext::printWindowFallback);
const RECT kRegion{200, 150, 600, 450};

// Number of values in the settings key (0 when the key is absent).
size_t savedValueCount() { return testenv::values().size(); }

std::optional<LONG> savedSigned(const wchar_t* name) {
    const auto value = testenv::readDword(name);
    if (!value) return std::nullopt;
    return static_cast<LONG>(*value);
}

class ControllerFixture : public fx::FilterFixture {
protected:
    HWND mainWindow() const { return main_.get(); }
    size_t mirrorCount() const { return fx::windowsOfClass(kMirrorClass).size(); }
    size_t filterWindowCount() const {
        return fx::windowsOfClass(kMirrorClass).size() + fx::windowsOfClass(kCoverClass).size();
    }
    // Showing with the stored region in screen-area mode.
    void turnOnWithRegion(const RECT& region = kRegion) {
        setRegion(appState, region);
        setFilterActive(appState, true);
        ASSERT_TRUE(appState.filterActive);
        ASSERT_EQ(mirrorCount(), 1u);
    }
    // KillTimer tells whether the peek timer was still pending (and ends it).
    bool peekTimerWasPending() { return KillTimer(mainWindow(), kPeekTimerId) != FALSE; }
};

using ControllerOn = ControllerFixture;
using ControllerSaves = ControllerFixture;
using ControllerPeek = ControllerFixture;
using ControllerRegion = ControllerFixture;
using ControllerStart = ControllerFixture;

// ---- turning on and what refuses it --------------------------------------

TEST_F(ControllerOn, WithoutRegionStaysOffSavesZeroAndLogsNothing) {
    testenv::writeDword(kValueEnabled, 1);
    setFilterActive(appState, true);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 0u);
    EXPECT_EQ(filterWindowCount(), 0u);
    EXPECT_TRUE(testenv::logMessages().empty());
}

TEST_F(ControllerOn, RegionMustOverlapOneMonitorBy16By16) {
    struct Case {
        const char* what;
        RECT region;
        bool on;
    };
    const Case cases[] = {
        {"15 px into the primary's right edge", {1905, 100, 2005, 300}, false},
        {"16 px into the primary's right edge", {1904, 100, 2004, 300}, true},
        {"15 px into the primary's bottom edge", {100, 1065, 300, 1165}, false},
        {"16 px into the primary's bottom edge", {100, 1064, 300, 1164}, true},
        {"15 px into the second's left edge", {-1365, 100, -1265, 300}, false},
        {"16 px into the second's left edge", {-1364, 100, -1264, 300}, true},
        {"15 px into the second's bottom edge", {-500, 1009, -300, 1109}, false},
        {"16 px into the second's bottom edge", {-500, 1008, -300, 1108}, true},
        {"15 px on each side of the seam", {-15, 100, 15, 300}, false},
        {"16 px on one side of the seam", {-16, 100, 15, 300}, true},
        {"beside every monitor", {2000, 100, 2200, 300}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        appState.hasRegion = true;
        appState.region = test.region;
        setFilterActive(appState, true);
        EXPECT_EQ(appState.filterActive, test.on);
        EXPECT_EQ(testenv::readDword(kValueEnabled), test.on ? 1u : 0u);
        EXPECT_EQ(mirrorCount(), test.on ? 1u : 0u);
        setFilterActive(appState, false);
        EXPECT_EQ(mirrorCount(), 0u);
    }
    // Per start one area mirror line and (under Wine) one failed capture
    // exclusion; nothing for the refusals.
    EXPECT_EQ(testenv::logMessages().size(), platform::underWine() ? 10u : 5u);
    EXPECT_EQ(testenv::countLogMessage(testenv::narrow(logtext::areaMirrorPresented)), 5u);
}

TEST_F(ControllerOn, OneWindowWithoutUsableTargetIsRefusedSavedAndLogged) {
    fx::PatternWindow target(fx::rect(300, 300, 500, 450), fx::solid(RGB(9, 9, 9)), fx::solid(RGB(9, 9, 9)));
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target.get(), L"pattern");
    ASSERT_TRUE(appState.hasRegion);

    ShowWindow(target.get(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(target.get()));
    testenv::writeDword(kValueEnabled, 1);
    setFilterActive(appState, true);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 0u);
    EXPECT_EQ(filterWindowCount(), 0u);
    EXPECT_EQ(testenv::countLogMessage(kNoTargetLine), 1u);

    // The same refusal for a target that no longer exists and for none.
    target.destroy();
    setFilterActive(appState, true);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(testenv::countLogMessage(kNoTargetLine), 2u);
    appState.targetWindow = nullptr;
    setFilterActive(appState, true);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(testenv::countLogMessage(kNoTargetLine), 3u);
    EXPECT_EQ(filterWindowCount(), 0u);
}

// ---- what is saved and when ----------------------------------------------

TEST_F(ControllerSaves, SameStyleSavesNothingAndANewStyleIsSaved) {
    setFilterStyle(appState, FilterStyle::ScreenArea);
    EXPECT_EQ(savedValueCount(), 0u);
    setFilterStyle(appState, FilterStyle::SolidCover);
    EXPECT_EQ(testenv::readDword(kValueStyle), 2u);
    testenv::clearSettingsKey();
    setFilterStyle(appState, FilterStyle::SolidCover);
    EXPECT_EQ(savedValueCount(), 0u);
}

TEST_F(ControllerSaves, OutlineWhileOffIsSavedAndBuildsNoWindow) {
    setRegion(appState, kRegion);
    setOutline(appState, false);
    EXPECT_FALSE(appState.outline);
    EXPECT_EQ(testenv::readDword(kValueOutline), 0u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 0u);
    EXPECT_EQ(filterWindowCount(), 0u);
    testenv::clearSettingsKey();
    setOutline(appState, false);  // no change: nothing saved
    EXPECT_EQ(savedValueCount(), 0u);
    setOutline(appState, true);
    EXPECT_EQ(testenv::readDword(kValueOutline), 1u);
    EXPECT_EQ(filterWindowCount(), 0u);
}

TEST_F(ControllerSaves, PeekPauseAndRestartSaveNothing) {
    turnOnWithRegion();
    testenv::clearSettingsKey();

    holdFilterWindows(appState, true);
    EXPECT_EQ(mirrorCount(), 0u);
    EXPECT_TRUE(appState.filterActive);
    holdFilterWindows(appState, false);
    EXPECT_EQ(mirrorCount(), 1u);
    restartFilter(appState);
    EXPECT_EQ(mirrorCount(), 1u);
    startPeek(appState);
    EXPECT_EQ(mirrorCount(), 0u);
    SendMessageW(mainWindow(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_EQ(mirrorCount(), 1u);
    // Only the timer's setFilterActive(true) writes; before it nothing did.
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
    testenv::clearSettingsKey();
    startPeek(appState);
    holdFilterWindows(appState, true);
    EXPECT_FALSE(peekTimerWasPending()) << "holding the windows ends a peek";
    holdFilterWindows(appState, false);
    EXPECT_EQ(mirrorCount(), 1u);
    restartFilter(appState);
    EXPECT_EQ(savedValueCount(), 0u);
}

TEST_F(ControllerSaves, PauseAndRestartWhileOffDoNothing) {
    setRegion(appState, kRegion);
    testenv::clearSettingsKey();
    holdFilterWindows(appState, false);
    restartFilter(appState);
    EXPECT_EQ(filterWindowCount(), 0u);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(savedValueCount(), 0u);
}

// ---- peek ----------------------------------------------------------------

TEST_F(ControllerPeek, WhileOffDoesNothing) {
    setRegion(appState, kRegion);
    startPeek(appState);
    EXPECT_EQ(appState.peekTimer, 0u);
    EXPECT_FALSE(peekTimerWasPending());
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(filterWindowCount(), 0u);
}

TEST_F(ControllerPeek, TakesTheWindowsDownUntilTheTimerBringsThemBack) {
    turnOnWithRegion();
    testenv::writeDword(kValueEnabled, 7);  // sentinel: a peek must not save

    startPeek(appState);
    EXPECT_TRUE(appState.mirrorWindows.empty());
    EXPECT_EQ(mirrorCount(), 0u);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_NE(appState.peekTimer, 0u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 7u);

    startPeek(appState);  // a second peek while peeking starts a fresh timer
    EXPECT_NE(appState.peekTimer, 0u);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(mirrorCount(), 0u);

    SendMessageW(mainWindow(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_EQ(mirrorCount(), 1u);
    EXPECT_EQ(appState.mirrorWindows.size(), 1u);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(appState.peekTimer, 0u);
    EXPECT_FALSE(peekTimerWasPending()) << "the timer fires once";
}

TEST_F(ControllerPeek, ExplicitOnOrOffCancelsAPendingPeek) {
    turnOnWithRegion();
    startPeek(appState);
    ASSERT_TRUE(peekTimerWasPending()) << "KillTimer must see a pending peek";

    startPeek(appState);
    setFilterActive(appState, false);
    EXPECT_EQ(appState.peekTimer, 0u);
    EXPECT_FALSE(peekTimerWasPending());
    EXPECT_FALSE(appState.filterActive);

    setFilterActive(appState, true);
    startPeek(appState);
    setFilterActive(appState, true);
    EXPECT_EQ(appState.peekTimer, 0u);
    EXPECT_FALSE(peekTimerWasPending());
    EXPECT_EQ(mirrorCount(), 1u);
}

TEST_F(ControllerPeek, OffDuringAPeekStaysOffWhenThePeekWouldHaveEnded) {
    turnOnWithRegion();
    startPeek(appState);
    setFilterActive(appState, false);
    MSG pending;
    EXPECT_FALSE(peekTimerWasPending() || PeekMessageW(&pending, mainWindow(), WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "nothing is left to end the peek";
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(mirrorCount(), 0u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 0u);
}

TEST_F(ControllerPeek, EndsFiveSecondsAfterTheLastPeek) {
    turnOnWithRegion();
    fx::mainTimerPeriods.clear();
    startPeek(appState);
    startPeek(appState);
    EXPECT_EQ(fx::mainTimerPeriods, (std::vector<UINT>{5000, 5000})) << "each peek sets its 5 s anew";
    EXPECT_EQ(mirrorCount(), 0u);
    SendMessageW(mainWindow(), WM_TIMER, kPeekTimerId, 0);
    EXPECT_EQ(mirrorCount(), 1u);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(appState.peekTimer, 0u);
}

// ---- region and target ---------------------------------------------------

TEST_F(ControllerRegion, ToggleWithoutRegionTakesTheWholeVirtualScreen) {
    toggleFilter(appState);
    EXPECT_TRUE(appState.hasRegion);
    EXPECT_EQ(fx::box(appState.region), (Box{-1280, 0, 1920, 1080}));
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(savedSigned(kValueRegionLeft), -1280);
    EXPECT_EQ(savedSigned(kValueRegionTop), 0);
    EXPECT_EQ(savedSigned(kValueRegionRight), 1920);
    EXPECT_EQ(savedSigned(kValueRegionBottom), 1080);
    EXPECT_EQ(testenv::readDword(kValueHasRegion), 1u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
    EXPECT_EQ(mirrorCount(), 2u);

    toggleFilter(appState);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 0u);
    EXPECT_EQ(mirrorCount(), 0u);
    EXPECT_TRUE(appState.hasRegion);

    // With a stored region a toggle keeps it.
    setRegion(appState, kRegion);
    toggleFilter(appState);
    EXPECT_EQ(fx::box(appState.region), fx::box(kRegion));
    EXPECT_EQ(mirrorCount(), 1u);
}

TEST_F(ControllerRegion, UseWholeScreenReplacesTheRegionAndTurnsOnRebuildingOnce) {
    turnOnWithRegion();
    useWholeScreen(appState);
    EXPECT_EQ(testenv::countLogMessage(testenv::narrow(logtext::areaMirrorPresented)), 2u) << "one line each time up";
    EXPECT_EQ(fx::box(appState.region), (Box{-1280, 0, 1920, 1080}));
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(mirrorCount(), 2u);
    EXPECT_EQ(savedSigned(kValueRegionLeft), -1280);

    setFilterActive(appState, false);
    setRegion(appState, kRegion);
    useWholeScreen(appState);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
    EXPECT_EQ(mirrorCount(), 2u);
}

TEST_F(ControllerRegion, RegionsUnder24PixelsAreIgnored) {
    setRegion(appState, kRegion);
    testenv::clearSettingsKey();
    setRegion(appState, fx::rect(100, 100, 123, 600));  // 23 x 500
    setRegion(appState, fx::rect(100, 100, 600, 123));  // 500 x 23
    setRegion(appState, fx::rect(100, 100, 50, 600));   // inverted
    EXPECT_EQ(fx::box(appState.region), fx::box(kRegion));
    EXPECT_EQ(savedValueCount(), 0u);

    setRegion(appState, fx::rect(100, 100, 124, 124));  // 24 x 24
    EXPECT_EQ(fx::box(appState.region), (Box{100, 100, 124, 124}));
    EXPECT_EQ(savedSigned(kValueRegionRight), 124);

    // Sides are compared without overflow.
    setRegion(appState, fx::rect(2147483600, 0, -2147483600, 600));
    EXPECT_EQ(fx::box(appState.region), (Box{100, 100, 124, 124}));
}

TEST_F(ControllerRegion, WindowTargetSetsTheRegionOnlyWhenUsable) {
    const auto colours = fx::solid(RGB(30, 30, 30));
    fx::PatternWindow target(fx::rect(700, 300, 1000, 500), colours, colours);
    setRegion(appState, kRegion);
    testenv::clearSettingsKey();

    ShowWindow(target.get(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(target.get()));
    setWindowTarget(appState, target.get(), L"Minimised one");
    EXPECT_EQ(appState.targetWindow, target.get());
    EXPECT_EQ(appState.targetTitle, L"Minimised one");
    EXPECT_EQ(fx::box(appState.region), fx::box(kRegion));
    EXPECT_EQ(savedValueCount(), 0u);

    ShowWindow(target.get(), SW_RESTORE);
    setWindowTarget(appState, target.get(), L"Restored");
    EXPECT_EQ(appState.targetTitle, L"Restored");
    EXPECT_EQ(fx::box(appState.region), target.bounds());
    EXPECT_EQ(savedSigned(kValueRegionLeft), 700);

    // A non-OneWindow style forgets the target.
    setFilterStyle(appState, FilterStyle::SolidCover);
    EXPECT_EQ(appState.targetWindow, nullptr);
    EXPECT_TRUE(appState.targetTitle.empty());
}

// ---- start-up and mode changes -------------------------------------------

TEST_F(ControllerStart, ApplySavedEnabledNeverRestartsOneWindowMode) {
    const auto colours = fx::solid(RGB(30, 30, 30));
    fx::PatternWindow target(fx::rect(700, 300, 1000, 500), colours, colours);
    struct Case {
        const char* what;
        FilterStyle style;
        DWORD enabled;
        bool region;
        bool on;
    };
    const Case cases[] = {
        {"screen area", FilterStyle::ScreenArea, 1, true, true},
        {"cover", FilterStyle::SolidCover, 1, true, true},
        {"one window, even with a live target", FilterStyle::OneWindow, 1, true, false},
        {"saved off", FilterStyle::ScreenArea, 0, true, false},
        {"no region", FilterStyle::ScreenArea, 1, false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        fx::resetFilterState(appState);
        appState.instance = GetModuleHandleW(nullptr);
        appState.mainWindow = mainWindow();
        appState.style = test.style;
        appState.hasRegion = test.region;
        appState.region = test.region ? RECT{700, 300, 1000, 500} : RECT{};
        appState.targetWindow = target.get();
        testenv::clearSettingsKey();
        testenv::writeDword(kValueEnabled, test.enabled);
        applySavedEnabled(appState);
        EXPECT_EQ(appState.filterActive, test.on);
        EXPECT_EQ(filterWindowCount(), test.on ? 1u : 0u);
        EXPECT_EQ(testenv::readDword(kValueEnabled), test.enabled) << "a refusal leaves Enabled as it was";
        EXPECT_EQ(testenv::countLogMessage(kNoTargetLine), 0u) << "a saved one-window filter is no refusal";
    }
}

TEST_F(ControllerStart, OneWindowStyleWhileOnWithoutTargetKeepsTheFilterOnWithNoWindow) {
    turnOnWithRegion();
    setFilterStyle(appState, FilterStyle::OneWindow);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(filterWindowCount(), 0u);
    EXPECT_TRUE(appState.mirrorWindows.empty());
    EXPECT_EQ(testenv::countLogMessage(kTargetGoneLine), 1u);
    EXPECT_EQ(testenv::readDword(kValueStyle), 1u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);

    // And a later restart still has nothing to show.
    restartFilter(appState);
    EXPECT_TRUE(appState.filterActive);
    EXPECT_EQ(testenv::countLogMessage(kTargetGoneLine), 2u);
}

TEST_F(ControllerStart, MirrorOfAnotherProgramsWindowShowsTheScreenPixelsThere) {
    if (!platform::underWine()) GTEST_SKIP() << "elsewhere PrintWindow of another process draws it";
    const RECT place{300, 250, 800, 650};
    ox::OverlayHelper helper({{WS_EX_TOPMOST, place}});
    ASSERT_EQ(helper.windows().size(), 1u) << "the helper did not open its window";
    const HWND other = helper.windows()[0];
    ASSERT_TRUE(waitUntil([] { return fx::screenPixel(550, 450) == RGB(128, 128, 128); }))
        << "the helper's window is painted grey";

    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, other, L"overlay");
    setFilterActive(appState, true);
    ASSERT_EQ(appState.mirrorWindows.size(), 1u);
    EXPECT_EQ(fx::windowBox(appState.mirrorWindows[0]), fx::box(place));
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 1u);

    const MirrorContext* context = fx::contextOf(appState.mirrorWindows[0]);
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(context->buffer.width(), 500);
    ASSERT_EQ(context->buffer.height(), 400);
    const std::vector<std::uint32_t> frame(context->buffer.pixels(), context->buffer.pixels() + 500 * 400);
    // Under Wine PrintWindow of another process draws nothing, so what the
    // mirror holds is the screen at the window's place: once the mirror is
    // gone again, the screen there shows the same picture.
    holdFilterWindows(appState, true);
    size_t same = 0;
    const bool matches = waitUntil(
        [&] {
            const fx::ScreenGrab now = fx::grabScreen(place);
            same = 0;
            for (size_t i = 0; i < frame.size(); ++i) same += (frame[i] & 0xFFFFFF) == (now.pixels[i] & 0xFFFFFF);
            return same >= frame.size() * 98 / 100;
        },
        3000);
    EXPECT_TRUE(matches) << same << " of " << frame.size() << " pixels agree";
    holdFilterWindows(appState, false);
    ASSERT_EQ(appState.mirrorWindows.size(), 1u);
    const HWND mirror = appState.mirrorWindows[0];

    // More frames: still one line, since the target never became usable.
    SendMessageW(mirror, WM_TIMER, kMirrorTimerId, 0);
    SendMessageW(mirror, WM_TIMER, kMirrorTimerId, 0);
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 2u) << "one for each of the two mirrors made";

    // The mirror follows the window on its next tick.
    SetWindowPos(other, nullptr, 200, 200, 450, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(waitUntil([&] { return fx::windowBox(other) == (Box{200, 200, 650, 550}); }));
    SendMessageW(mirror, WM_TIMER, kMirrorTimerId, 0);
    EXPECT_EQ(fx::windowBox(mirror), (Box{200, 200, 650, 550}));
}

TEST_F(ControllerStart, ARebuildAskedForWhileAFramePrintsItsTargetWaitsUntilTheFrameHasReturned) {
    std::atomic<HWND> notify{nullptr};
    fx::ThreadTarget target([&] {
        if (HWND main = notify.exchange(nullptr)) SendMessageW(main, WM_SETTINGCHANGE, 0, 0);
    });
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target.window, L"thread");
    setFilterActive(appState, true);
    ASSERT_EQ(appState.mirrorWindows.size(), 1u);
    const HWND first = appState.mirrorWindows[0];
    notify = mainWindow();
    SendMessageW(first, WM_TIMER, kMirrorTimerId, 0);
    EXPECT_TRUE(IsWindow(first)) << "the rebuild waits until the frame has returned";
    EXPECT_TRUE(waitUntil([&] { return appState.mirrorWindows.size() == 1 && appState.mirrorWindows[0] != first; }));
    EXPECT_TRUE(fx::windowsAgreeWithState(appState)) << "rebuilt once the frame had returned";
}

TEST_F(ControllerStart, AFrameReturnsWhileItsTargetIsStalledAndKeepsTheLastPicture) {
    fx::ThreadTarget target([] {});
    setFilterStyle(appState, FilterStyle::OneWindow);
    setWindowTarget(appState, target.window, L"thread");
    setFilterActive(appState, true);
    ASSERT_EQ(appState.mirrorWindows.size(), 1u);
    const HWND mirror = appState.mirrorWindows[0];
    ResetEvent(target.awake);
    PostMessageW(target.window, WM_APP, 0, 0);
    ASSERT_EQ(WaitForSingleObject(target.asleep, 5000), WAIT_OBJECT_0);
    SendMessageW(mirror, WM_TIMER, kMirrorTimerId, 0);
    EXPECT_EQ(WaitForSingleObject(target.asleep, 0), WAIT_OBJECT_0) << "the frame waited for the stalled target";
    EXPECT_EQ(fx::bufferPixel(*fx::contextOf(mirror), 10, 10), RGB(0, 0, 200)) << "the last picture stays";
}

}  // namespace
