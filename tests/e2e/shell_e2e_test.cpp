// The shell of the real Clearpane.exe: real hot-key presses (one opens the
// tray menu, one held down switches once, one another program holds works
// once it is let go), and the icon comes back when the notification area is
// made anew.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "app/ids.h"
#include "app/log.h"
#include "app/shell.h"
#include "app/tray.h"
#include "e2e/e2e_support.h"
#include "settings/settings.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

using ShellE2E = e2e::ProgramTest;

TEST_F(ShellE2E, TheMenuHotKeyOpensTheTrayMenu) {
    start();
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Idle; }))
        << "no tray icon to give the keys a Wine window";
    const auto menuOpen = [&] { return !visible(L"#32768").empty(); };
    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+w"));
    EXPECT_TRUE(waitUntil(menuOpen));
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !menuOpen(); }));
}

TEST_F(ShellE2E, AHotKeyHeldDownSwitchesTheFilterOnce) {
    testenv::writeDword(kValueTipShown, 1);
    storeRegion({100, 0, 300, 300});
    start();
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Idle; }));
    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+d", "1.5"));  // the key repeats meanwhile
    PostMessageW(main_, WM_CLOSE, 0, 0);  // behind every press that arrived
    ASSERT_EQ(program_.waitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(testenv::readDword(kValueEnabled), 1u);
    EXPECT_EQ(logCount(logtext::areaMirrorPresented), 1u) << "switched more than once";
}

TEST_F(ShellE2E, AHotKeyAnotherProgramHoldsIsLoggedShownTakenAndWorksOnceLetGo) {
    testenv::writeDword(kValueStyle, static_cast<DWORD>(FilterStyle::SolidCover));
    storeRegion({100, 0, 300, 300});
    ASSERT_TRUE(RegisterHotKey(nullptr, kHotKeyHideAnnotations, kHotKeyModifiers, 'D'));  // the other program
    start();
    EXPECT_EQ(logCount(hotKeyInUseLine(kHotKeyHideAnnotations).c_str()), 1u);
    const auto menuWidth = [&] {
        PostMessageW(main_, kShowTrayMenuMessage, 0, 0);
        RECT menu{};
        EXPECT_TRUE(waitUntil([&] { return !visible(L"#32768").empty(); }));
        if (!visible(L"#32768").empty()) GetWindowRect(visible(L"#32768")[0], &menu);
        PostMessageW(main_, WM_CANCELMODE, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return visible(L"#32768").empty(); }));
        return menu.right - menu.left;
    };
    const LONG whileTaken = menuWidth();
    UnregisterHotKey(nullptr, kHotKeyHideAnnotations);
    EXPECT_GT(whileTaken, menuWidth()) << "the shortcut said nothing of being taken, or still does";
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Idle; }));
    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+d"));
    EXPECT_TRUE(waitUntil([] { return testenv::readDword(kValueEnabled) == 1u; }));
}

TEST_F(ShellE2E, TrayIconComesBackWithItsPictureWhenTheNotificationAreaIsMadeAnew) {
    testenv::writeDword(kValueStyle, static_cast<DWORD>(FilterStyle::SolidCover));
    storeRegion({100, 0, 300, 300});
    start();
    const auto shows = [](e2e::TrayIcon icon) { return waitUntil([&] { return e2e::trayIconShown() == icon; }); };
    ASSERT_TRUE(shows(e2e::TrayIcon::Idle));
    PostMessageW(main_, WM_COMMAND, kCommandHideAnnotations, 0);
    ASSERT_TRUE(shows(e2e::TrayIcon::Filtered));

    e2e::notifyTray(NIM_DELETE, main_, kTrayIconId);
    ASSERT_TRUE(shows(e2e::TrayIcon::None));
    PostMessageW(main_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(shows(e2e::TrayIcon::Filtered)) << "the icon is not back as filtered";
}

}  // namespace
