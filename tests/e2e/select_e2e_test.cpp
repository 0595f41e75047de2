// Select Area in the real Clearpane.exe: the hot key and the menu command
// open the overlay over the whole virtual screen, a real mouse drag
// (xdotool) stores the region and brings the filter up over it, Esc or
// Alt+F4 leave everything as it was, and the tray icon follows either way.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ids.h"
#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "select/select.h"
#include "settings/settings.h"
#include "support/filter_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

bool hasRect(HWND window, const RECT& expected) { return fx::windowBox(window) == fx::box(expected); }

class SelectE2E : public e2e::ProgramTest {
protected:
    // Screen-area mode with a region; the one-time tip already shown.
    static void storeSettings(bool enabled, const RECT& region) {
        testenv::writeDword(kValueTipShown, 1);
        testenv::writeDword(kValueEnabled, enabled ? 1 : 0);
        storeRegion(region);
    }
    // The overlay, once it is up over the whole virtual screen.
    HWND waitForOverlay() {
        std::vector<HWND> overlays;
        EXPECT_TRUE(waitUntil([&] { return !(overlays = visible(kSelectClass)).empty(); }, 5000)) << "no overlay";
        if (overlays.size() != 1) return nullptr;
        EXPECT_TRUE(hasRect(overlays[0], virtualScreenRect()));
        EXPECT_EQ(e2e::windowText(overlays[0]), kSelectTitle);
        EXPECT_TRUE(visible(kMirrorClass).empty()) << "the filter is down while selecting";
        return overlays[0];
    }
    bool overlayGone() const { return visible(kSelectClass).empty(); }
    // A mirror over exactly this rectangle, and no other filter window.
    bool mirroredOver(const RECT& area) const {
        const std::vector<HWND> mirrors = visible(kMirrorClass);
        return mirrors.size() == 1 && hasRect(mirrors[0], area) && visible(kCoverClass).empty();
    }
    // A drag with the real pointer, between two virtual-screen points; the
    // X screen's origin is the virtual screen's top-left corner.
    static bool realDrag(POINT from, POINT to) {
        const RECT screen = virtualScreenRect();
        auto at = [&](POINT p) {
            return std::to_string(p.x - screen.left) + " " + std::to_string(p.y - screen.top);
        };
        const POINT middle{(from.x + to.x) / 2, (from.y + to.y) / 2};
        return e2e::runLinuxCommand("xdotool mousemove " + at(from) + " sleep 0.2 mousedown 1 sleep 0.1 mousemove " +
                                    at(middle) + " sleep 0.1 mousemove " + at(to) + " sleep 0.1 mouseup 1");
    }

    // The icon's two pictures as the running program draws them, taken by
    // switching the filter with Hide Annotations, which refreshes the icon.
    // The stored region must leave the notification area (top left of the
    // virtual screen) uncovered: a mirror over it would show its own copy.
    void takeIconPictures() {
        for (int i = 0; i < 2; ++i) {
            const bool wasOn = !visible(kMirrorClass).empty();
            PostMessageW(program_.mainWindow(), WM_COMMAND, kCommandHideAnnotations, 0);
            ASSERT_TRUE(waitUntil([&] { return visible(kMirrorClass).empty() == wasOn; }, 5000));
            (wasOn ? icon_.idle : icon_.filtered) = e2e::settledTrayIconPixels();
        }
        ASSERT_FALSE(icon_.idle.empty());
        ASSERT_NE(icon_.idle, icon_.filtered);
    }
    e2e::TrayPictures icon_;
};

TEST_F(SelectE2E, HotKeyAndARealDragStoreTheRegionAndBringTheFilterUpOverIt) {
    storeSettings(false, {100, 100, 500, 400});
    start();
    takeIconPictures();

    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+a"));
    ASSERT_NE(waitForOverlay(), nullptr);
    ASSERT_TRUE(realDrag({700, 600}, {300, 300}));
    const RECT area{300, 300, 700, 600};
    EXPECT_TRUE(waitUntil([&] { return overlayGone() && mirroredOver(area); }, 5000));
    EXPECT_EQ(testenv::readDword(kValueRegionLeft), 300u);
    EXPECT_EQ(testenv::readDword(kValueRegionTop), 300u);
    EXPECT_EQ(testenv::readDword(kValueRegionRight), 700u);
    EXPECT_EQ(testenv::readDword(kValueRegionBottom), 600u);
    EXPECT_EQ(testenv::readDword(kValueHasRegion), 1u);
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
    // The hot key refreshes nothing: the end of the selection switched the icon.
    EXPECT_TRUE(waitUntil([&] { return icon_.shows(icon_.filtered); }, 5000)) << "the tray icon does not show the filter";
}

TEST_F(SelectE2E, MenuCommandThenEscOrCloseLeavesTheFilterAsItWas) {
    const RECT region{100, 100, 500, 400};
    storeSettings(true, region);
    start();
    ASSERT_TRUE(waitUntil([&] { return mirroredOver(region); }, 5000));
    takeIconPictures();

    // Alt+F4 closes the overlay too, and counts as a cancel like Esc.
    // Esc, and the close that Alt+F4 sends, posted to the overlay: real keys
    // would move the X focus, and Wine's tray then hides for good.
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
    } endings[] = {{"Esc", WM_KEYDOWN, VK_ESCAPE}, {"Alt+F4", WM_CLOSE, 0}};
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.what);
        PostMessageW(program_.mainWindow(), WM_COMMAND, kCommandSelectArea, 0);
        HWND overlay = waitForOverlay();
        ASSERT_NE(overlay, nullptr);
        PostMessageW(overlay, ending.message, ending.wParam, 0);
        EXPECT_TRUE(waitUntil([&] { return overlayGone() && mirroredOver(region); }, 5000));
        EXPECT_EQ(testenv::readDword(kValueRegionRight), 500u);
        EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
        // The command showed the idle picture while the overlay was up; the
        // end of the cancelled selection put the filtered one back.
        EXPECT_TRUE(waitUntil([&] { return icon_.shows(icon_.filtered); }, 5000))
            << "the tray icon does not show the filter";
    }
}

}  // namespace
