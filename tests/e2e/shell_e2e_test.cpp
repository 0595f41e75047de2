// The shell of the real Clearpane.exe: a real hot-key press opens the tray
// menu, and the icon comes back when the notification area is made anew.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/ids.h"
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
