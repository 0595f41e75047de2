// Start-up and shutdown of the real program, watched from outside: the
// single-instance box, the hidden main window, the hot keys, the tray icon,
// the exit code and where the log goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"
#include "app/tray.h"
#include "e2e/e2e_support.h"
#include "settings/settings.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

using Startup = e2e::ProgramTest;

const std::string kStarted = testenv::narrow(logtext::started);

TEST_F(Startup, SecondStartShowsTheBoxAndTouchesNothing) {
    e2e::Program& first = launch();
    ASSERT_TRUE(first.waitUntilStarted());
    const std::string logBefore = testenv::readFileBytes(logPath());

    // Its own LOCALAPPDATA shows whether it got as far as the log folder.
    const std::wstring otherAppData = folder(L"clearpane-e2e-second");
    e2e::Program& second = launch({otherAppData, L"", L""});
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = second.findMessageBox(text::appName)) != nullptr; }, 10000));
    EXPECT_EQ(e2e::messageBoxText(box), text::alreadyRunning);
    EXPECT_TRUE(second.running()) << "the box waits for OK";
    EXPECT_EQ(second.mainWindow(), nullptr);

    e2e::pressOk(box);
    EXPECT_EQ(second.waitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(testenv::readFileBytes(logPath()), logBefore);
    EXPECT_EQ(GetFileAttributesW((otherAppData + L"\\Clearpane").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(first.running());
    EXPECT_NE(first.mainWindow(), nullptr);
}

TEST_F(Startup, CloseEndsTheRunAndANewRunAppendsItsStartedLine) {
    e2e::Program& first = launch();
    ASSERT_TRUE(first.waitUntilStarted());
    const HWND window = first.mainWindow();
    EXPECT_TRUE(e2e::trayIconExists(window, kTrayIconId)) << "the main window's icon is in the notification area";
    EXPECT_FALSE(e2e::trayIconExists(window, kTrayIconId + 1)) << "the probe must tell icons apart";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.waitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(IsWindow(window));
    // Wine drops the icon of a destroyed window by itself, so this cannot
    // tell NIM_DELETE from process clean-up; it shows that nothing is left.
    EXPECT_FALSE(e2e::trayIconExists(window, kTrayIconId));
    EXPECT_EQ(testenv::logMessages(logPath()), std::vector{kStarted}) << "shutdown logs nothing";

    // The mutex is gone with the first run, so a second one starts normally.
    e2e::Program& second = launch();
    ASSERT_TRUE(second.waitUntilStarted());
    EXPECT_EQ(testenv::logMessages(logPath()), (std::vector{kStarted, kStarted}));
    PostMessageW(second.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second.waitForExit(), std::optional<DWORD>(0));
}

TEST_F(Startup, MainWindowIsAHiddenZeroSizeToolWindow) {
    e2e::Program& program = launch();
    ASSERT_TRUE(program.waitUntilStarted());
    const HWND window = FindWindowW(kMainClass, text::appName);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, program.mainWindow());

    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(GetParent(window), nullptr);
    RECT rect{-1, -1, -1, -1};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    for (HWND shown : program.windows()) {
        EXPECT_FALSE(IsWindowVisible(shown)) << "visible window of class " << testenv::narrow(e2e::windowClass(shown));
    }
}

TEST_F(Startup, HoldsTheFiveHotKeysUntilItEnds) {
    e2e::Program& program = launch();
    ASSERT_TRUE(program.waitUntilStarted());
    for (const HotKey& hotKey : kHotKeys) {
        SCOPED_TRACE(testenv::narrow(hotKey.shortcut));
        const BOOL taken = RegisterHotKey(nullptr, hotKey.id, kHotKeyModifiers, hotKey.key);
        EXPECT_FALSE(taken) << "not held";
        if (taken) UnregisterHotKey(nullptr, hotKey.id);
    }

    // Free again for a new run (Wine would also free them with the window).
    PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(program.waitForExit(), std::optional<DWORD>(0));
    for (const HotKey& hotKey : kHotKeys) {
        SCOPED_TRACE(testenv::narrow(hotKey.shortcut));
        const BOOL taken = RegisterHotKey(nullptr, hotKey.id, kHotKeyModifiers, hotKey.key);
        EXPECT_TRUE(taken) << "error " << GetLastError();
        if (taken) UnregisterHotKey(nullptr, hotKey.id);
    }
}

// Which LOCALAPPDATA leads where is decided in-process; this shows that the
// program decides with its own environment and its own current directory.
TEST_F(Startup, WithoutLocalAppDataTheLogGoesBelowTheCurrentDirectory) {
    const std::wstring current = folder(L"clearpane-e2e-unset");
    e2e::Program& program = launch({std::nullopt, current, e2e::logPathUnder(current)});
    ASSERT_TRUE(program.waitUntilStarted());
    EXPECT_EQ(testenv::logMessages(e2e::logPathUnder(current)), std::vector{kStarted});
    program.stop();
    EXPECT_FALSE(program.running());
}

TEST_F(Startup, StartAndQuitWriteNoSettings) {
    // Enabled stays 0 so that nothing of the filter runs.
    testenv::writeDword(kValueStyle, 2);
    testenv::writeDword(kValueOutline, 0);
    testenv::writeDword(kValueHideOverlays, 1);
    testenv::writeDword(kValueEnabled, 0);
    storeRegion({-1280, 0, 640, 480});
    const auto before = testenv::values();

    for (const bool withKey : {true, false}) {
        SCOPED_TRACE(withKey ? "with settings" : "without a key");
        if (!withKey) testenv::clearSettingsKey();
        e2e::Program& program = launch();
        ASSERT_TRUE(program.waitUntilStarted());
        PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
        ASSERT_EQ(program.waitForExit(), std::optional<DWORD>(0));
        if (withKey) {
            EXPECT_EQ(testenv::values(), before);
        } else {
            EXPECT_FALSE(testenv::keyExists());
        }
    }
}

}  // namespace
