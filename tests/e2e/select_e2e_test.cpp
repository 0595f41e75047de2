// Select Area in the real Clearpane.exe with real input: the hot key opens
// the overlay, and a real mouse drag (xdotool) brings the filter up over the
// area dragged out. What each ending does is decided in-process.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "select/select.h"
#include "settings/settings.h"
#include "support/filter_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

using SelectE2E = e2e::ProgramTest;

TEST_F(SelectE2E, TheHotKeyAndARealDragBringTheFilterUpOverTheArea) {
    testenv::writeDword(kValueTipShown, 1);
    start();
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Idle; }))
        << "no tray icon to give the keys a Wine window";
    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+a"));
    ASSERT_TRUE(waitUntil([&] { return !visible(kSelectClass).empty(); })) << "no overlay";

    ASSERT_TRUE(e2e::movePointer({700, 600}) && e2e::leftButton(true));
    ASSERT_TRUE(e2e::movePointer({500, 450}) && e2e::movePointer({300, 300}) && e2e::leftButton(false));
    EXPECT_TRUE(waitUntil([&] {
        const std::vector<HWND> mirrors = visible(kMirrorClass);
        return visible(kSelectClass).empty() && mirrors.size() == 1 &&
               fx::windowBox(mirrors[0]) == (fx::Box{300, 300, 700, 600});
    })) << "no mirror over the area dragged out";
}

}  // namespace
