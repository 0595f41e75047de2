// The real Clearpane.exe brings back the filter that was on when it ended,
// at its region, and shows so in the tray. What it hid of other programs
// comes back however it ends, and the session's end and an older Windows
// reach the real program.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/log.h"
#include "app/texts.h"
#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "settings/geometry.h"
#include "settings/settings.h"
#include "support/filter_fixtures.h"
#include "support/overlay_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

constexpr LONG kLeft = 100, kTop = 100, kRight = 500, kBottom = 400;

class FilterE2E : public e2e::ProgramTest {
protected:
    static void storeSettings(DWORD style) {
        testenv::writeDword(kValueStyle, style);
        testenv::writeDword(kValueEnabled, 1);
        storeRegion({kLeft, kTop, kRight, kBottom});
    }
};

TEST_F(FilterE2E, ACoverOnWhenTheProgramEndedComesBackAtItsRegionWithTheFilteredIcon) {
    storeSettings(static_cast<DWORD>(FilterStyle::SolidCover));
    start();
    std::vector<HWND> covers;
    ASSERT_TRUE(waitUntil([&] { return !(covers = visible(kCoverClass)).empty(); }, 10000)) << "no cover came back";
    ASSERT_EQ(covers.size(), 1u);
    EXPECT_EQ(fx::windowBox(covers[0]), (fx::Box{kLeft, kTop, kRight, kBottom}));
    EXPECT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Filtered; }))
        << "the tray icon does not show the filter";
}

TEST_F(FilterE2E, ClicksAndTheWheelGoThroughTheMirrorAndTheCoverToAnotherProgramsWindowBeneath) {
    const RECT area{kLeft, kTop, kRight, kBottom};
    ox::OverlayHelper helper({{0, area}});
    const HWND beneath = helper.windows().at(0);
    testenv::writeDword(kValueTipShown, 1);
    storeSettings(static_cast<DWORD>(FilterStyle::ScreenArea));
    start();
    ASSERT_TRUE(e2e::movePointer(rectCentre(area)));
    const struct {
        const wchar_t* filterClass;
        UINT command;
    } filters[] = {{kMirrorClass, 0}, {kCoverClass, kCommandModeSolidCover}};
    INT_PTR each = 0;
    for (const auto& filter : filters) {
        SCOPED_TRACE(testenv::narrow(filter.filterClass));
        if (filter.command) PostMessageW(main_, WM_COMMAND, filter.command, 0);
        ASSERT_TRUE(waitUntil([&] { return !visible(filter.filterClass).empty(); }, 10000));
        ++each;
        ASSERT_TRUE(e2e::runLinuxCommand("xdotool click 1 click 4"));
        EXPECT_TRUE(waitUntil([&] {
            return ox::OverlayHelper::received(beneath, WM_LBUTTONDOWN) == each &&
                   ox::OverlayHelper::received(beneath, WM_MOUSEWHEEL) == each;
        })) << "clicks " << ox::OverlayHelper::received(beneath, WM_LBUTTONDOWN) << ", wheel turns "
            << ox::OverlayHelper::received(beneath, WM_MOUSEWHEEL);
    }
}

TEST_F(FilterE2E, AboutOpensAboveACoverOverTheWholeScreenAndIsAnswered) {
    storeSettings(static_cast<DWORD>(FilterStyle::SolidCover));
    storeRegion(nearestMonitorRect(POINT{0, 0}));
    start();
    std::vector<HWND> covers;
    ASSERT_TRUE(waitUntil([&] { return !(covers = visible(kCoverClass)).empty(); }, 10000));
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = program_.findMessageBox(text::aboutCaption)) != nullptr; }, 10000));
    const auto above = [](HWND upper, HWND lower) {
        for (HWND below = GetWindow(upper, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
            if (below == lower) return true;
        }
        return false;
    };
    EXPECT_TRUE(waitUntil([&] { return above(box, covers[0]); })) << "the box lies beneath the cover";
    // A cover made anew while the box is open goes in beneath it too.
    PostMessageW(main_, WM_COMMAND, kCommandOutline, 0);
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<HWND> now = visible(kCoverClass);
        return now.size() == 1 && now[0] != covers[0] && above(box, now[0]);
    })) << "the box lies beneath the cover made anew";
    e2e::pressOk(box);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
}

TEST_F(FilterE2E, EndOfSessionTakesTheFilterDownKeepsItSavedAsOnAndAnInstallersCloseEndsTheProgram) {
    storeSettings(0);
    start();
    ASSERT_TRUE(waitUntil([&] { return !visible(kMirrorClass).empty(); }, 10000));
    SendMessageTimeoutW(program_.mainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(waitUntil([&] { return visible(kMirrorClass).empty(); }, 5000));
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u) << "the next start must bring the filter back";
    SendMessageTimeoutW(program_.mainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_EQ(program_.waitForExit(), std::optional<DWORD>(0));
}

TEST_F(FilterE2E, HidesAnOverlayOfAnotherProgramThatComesBackWithTheFilterOffOnQuitAndAfterAForcedEnd) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, RECT{0, 0, 1920, 1080}}});
    const HWND overlay = helper.windows().at(0);
    const auto record = fx::recordOf({fx::handleValue(overlay)});
    auto hidden = [&] {
        return waitUntil([&] { return !IsWindowVisible(overlay); }, 10000) && fx::storedRecord() == record;
    };
    testenv::writeDword(kValueHideOverlays, 1);
    testenv::writeDword(kValueTipShown, 1);  // no box when the filter is turned back on
    storeSettings(0);
    start();
    ASSERT_TRUE(hidden());
    PostMessageW(program_.mainWindow(), WM_COMMAND, kCommandHideAnnotations, 0);
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(overlay) && !fx::storedRecord(); })) << "filter off";
    PostMessageW(program_.mainWindow(), WM_COMMAND, kCommandHideAnnotations, 0);
    ASSERT_TRUE(hidden()) << "filter on again";
    program_.stop();
    ASSERT_TRUE(program_.waitForExit().has_value());
    EXPECT_TRUE(IsWindowVisible(overlay) && !fx::storedRecord()) << "quit";
    EXPECT_EQ(logCount(logtext::hidOverlay), 2u);

    e2e::Program& crashing = launch();
    ASSERT_TRUE(crashing.waitUntilStarted());
    ASSERT_TRUE(hidden());
    crashing.kill();
    EXPECT_TRUE(!IsWindowVisible(overlay) && fx::storedRecord() == record) << "forced end";

    // The next start, with the filter off so that it hides nothing anew.
    testenv::writeDword(kValueEnabled, 0);
    const ULONGLONG logBefore = e2e::logSize(logPath());
    ASSERT_TRUE(launch().waitUntilStarted());
    // Its restore line and "started" are its last lines: then it writes no more.
    EXPECT_TRUE(waitUntil([&] {
        return e2e::logSize(logPath()) >=
               logBefore + e2e::logLineBytes(logtext::restoredOverlays) + e2e::logLineBytes(logtext::started);
    }));
    EXPECT_TRUE(IsWindowVisible(overlay) && !fx::storedRecord()) << "next start";
    const auto lines = testenv::logMessages(logPath());
    EXPECT_EQ(std::vector(lines.end() - 2, lines.end()),
              (std::vector{testenv::narrow(logtext::restoredOverlays), testenv::narrow(logtext::started)}));
}

TEST_F(FilterE2E, WhereCapturesShowTheMirrorBlackTheFirstMirrorSaysSoOnceARun) {
    // Wine's "win10" reports build 18362, older than the 19041 that hides the
    // mirror from captures; without it the prefix reports 19045.
    constexpr wchar_t kWineAppDefaults[] = L"Software\\Wine\\AppDefaults\\Clearpane.exe";
    testenv::writeValue(L"Version", testenv::RawValue::sz(L"win10"), kWineAppDefaults);
    testenv::writeDword(kValueTipShown, 1);
    storeSettings(0);
    start();
    HWND box = nullptr;
    waitUntil([&] { return (box = program_.findMessageBox(text::appName)) != nullptr; }, 10000);
    RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppDefaults);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::messageBoxText(box), text::capturesShowMirrorBlack);
    e2e::pressOk(box);
    PostMessageW(main_, WM_COMMAND, kCommandHideAnnotations, 0);
    ASSERT_TRUE(waitUntil([&] { return visible(kMirrorClass).empty(); }));
    PostMessageW(main_, WM_COMMAND, kCommandHideAnnotations, 0);
    ASSERT_TRUE(waitUntil([&] { return !visible(kMirrorClass).empty(); }));
    program_.stop();

    e2e::Program& current = launch();
    ASSERT_TRUE(current.waitUntilStarted());
    EXPECT_TRUE(waitUntil([&] { return !fx::windowsOfClass(kMirrorClass, current.processId()).empty(); }));
    current.stop();
    EXPECT_EQ(logCount(logtext::capturesShowMirrorBlack), 1u) << "a box and a line for the first mirror of the old build";
}

}  // namespace
