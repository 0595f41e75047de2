// The real Clearpane.exe hides another program's overlay while its saved
// area filter is up, and the overlay comes back however the program ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/log.h"
#include "e2e/e2e_support.h"
#include "filter/windows.h"
#include "settings/settings.h"
#include "support/overlay_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

const RECT kPrimary{0, 0, 1920, 1080};

std::uint64_t value(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

// Bytes that a line adds to the log: "[YYYY-MM-DD HH:MM:SS] " and CR LF.
ULONGLONG lineBytes(const wchar_t* line) { return 22 + testenv::narrow(line).size() + 2; }

class OverlayE2E : public testing::Test {
protected:
    void SetUp() override {
        testenv::clearSettingsKey();
        ASSERT_TRUE(waitUntil([] { return FindWindowW(L"CP_Main", nullptr) == nullptr; }, 10000))
            << "a Clearpane from an earlier test still runs";
        appData_ = testenv::temporaryDirectory(L"clearpane-e2e-overlays");
    }

    void TearDown() override {
        program_.stop();
        EXPECT_TRUE(program_.waitForExit().has_value()) << "Clearpane did not exit";
        testenv::clearSettingsKey();
        testenv::removeTree(appData_);
    }

    // The saved filter comes back at start: an area mirror, hiding overlays.
    static void storeFilterHidingOverlays() {
        testenv::writeDword(kValueHideOverlays, 1);
        testenv::writeDword(kValueEnabled, 1);
        testenv::writeDword(kValueStyle, static_cast<DWORD>(FilterStyle::ScreenArea));
        testenv::writeDword(kValueHasRegion, 1);
        testenv::writeDword(kValueRegionLeft, 100);
        testenv::writeDword(kValueRegionTop, 100);
        testenv::writeDword(kValueRegionRight, 500);
        testenv::writeDword(kValueRegionBottom, 400);
    }

    // Starts the program and waits until its saved filter has hidden the overlay.
    void startHiding(HWND overlay) {
        storeFilterHidingOverlays();
        ASSERT_TRUE(program_.start({appData_, L""})) << "CreateProcessW failed: " << GetLastError();
        ASSERT_TRUE(program_.waitUntilStarted(e2e::logPathUnder(appData_)));
        ASSERT_TRUE(waitUntil([&] { return !mirrors().empty() && !IsWindowVisible(overlay); }, 10000))
            << "no mirror, or the overlay stayed visible";
        EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({value(overlay)}));
    }

    std::vector<HWND> mirrors() const {
        std::vector<HWND> found;
        for (HWND window : program_.windows()) {
            if (IsWindowVisible(window) && e2e::windowClass(window) == kMirrorClass) found.push_back(window);
        }
        return found;
    }

    e2e::Program program_;
    std::wstring appData_;
};

TEST_F(OverlayE2E, HiddenWhileTheMirrorIsUpAndShownAgainWhenTheProgramQuits) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    startHiding(overlay);

    program_.stop();
    ASSERT_TRUE(program_.waitForExit().has_value());
    EXPECT_TRUE(IsWindowVisible(overlay));
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
    const auto lines = e2e::logMessages(e2e::logPathUnder(appData_));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), testenv::narrow(logtext::hidOverlay)), 1)
        << testing::PrintToString(lines);
}

TEST_F(OverlayE2E, AfterAForcedEndTheNextStartShowsTheOverlayAgain) {
    ox::OverlayHelper helper({{ox::kOverlayStyle, kPrimary}});
    const HWND overlay = helper.windows().at(0);
    startHiding(overlay);

    program_.kill();
    EXPECT_FALSE(IsWindowVisible(overlay));
    EXPECT_EQ(ox::storedRecord(), ox::binaryRecord({value(overlay)}));

    // Started with the filter off, so that nothing is hidden anew.
    testenv::writeDword(kValueEnabled, 0);
    const std::wstring appData = testenv::temporaryDirectory(L"clearpane-e2e-overlays-next");
    const std::wstring log = e2e::logPathUnder(appData);
    e2e::Program next;
    ASSERT_TRUE(next.start({appData, L"", log}));
    ASSERT_TRUE(next.waitUntilStarted());
    // Mark, the restore line and "started": then the program writes no more.
    EXPECT_TRUE(waitUntil([&] {
        return e2e::logSize(log) >= 3 + lineBytes(logtext::restoredOverlays) + lineBytes(logtext::started);
    }));
    EXPECT_TRUE(IsWindowVisible(overlay));
    EXPECT_FALSE(testenv::valueExists(kValueHiddenOverlays));
    EXPECT_EQ(e2e::logMessages(log), (std::vector<std::string>{testenv::narrow(logtext::restoredOverlays),
                                                               testenv::narrow(logtext::started)}));
    next.stop();
    EXPECT_TRUE(next.waitForExit().has_value());
    testenv::removeTree(appData);
}

}  // namespace
