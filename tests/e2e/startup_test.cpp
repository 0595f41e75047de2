// Start-up and shutdown of the real program, watched from outside: the
// "started" line, the single-instance box, the hidden main window, the hot
// keys, the tray icon, the exit code and where the log goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "settings/settings.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

constexpr wchar_t kAlreadyRunning[] =
    L"Clearpane is already running. Look for the pencil in the notification area.";

const struct {
    int id;
    UINT key;
} kHotKeys[] = {{1, 'D'}, {2, 'P'}, {3, 'A'}, {4, 'F'}, {5, 'W'}};
constexpr UINT kHotKeyModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT;

using Startup = e2e::ProgramTest;

TEST_F(Startup, LogsStartedOnceAfterTheMark) {
    SYSTEMTIME before{};
    GetLocalTime(&before);
    before.wMilliseconds = 0;  // the stamp has whole seconds
    e2e::Program& program = launch();
    ASSERT_TRUE(program.waitUntilStarted());
    SYSTEMTIME after{};
    GetLocalTime(&after);

    const std::string bytes = testenv::readFileBytes(logPath());
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const testenv::LogLine line = testenv::parseLogLine(bytes.substr(3));
    ASSERT_TRUE(line.ok && line.message == "started") << bytes;
    EXPECT_LE(testenv::ticks(before), testenv::ticks(line.stamp)) << "local time of the start";
    EXPECT_GE(testenv::ticks(after), testenv::ticks(line.stamp));
}

TEST_F(Startup, SecondStartShowsTheBoxAndTouchesNothing) {
    e2e::Program& first = launch();
    ASSERT_TRUE(first.waitUntilStarted());
    const std::string logBefore = testenv::readFileBytes(logPath());

    // Its own LOCALAPPDATA shows whether it got as far as the log folder.
    const std::wstring otherAppData = folder(L"clearpane-e2e-second");
    e2e::Program& second = launch({otherAppData, L"", L""});
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = second.findMessageBox(L"Clearpane")) != nullptr; }, 10000));
    EXPECT_EQ(testenv::narrow(e2e::messageBoxText(box)), testenv::narrow(kAlreadyRunning));
    EXPECT_TRUE(second.running()) << "the box waits for OK";
    EXPECT_EQ(second.mainWindow(), nullptr);

    e2e::pressOk(box);
    EXPECT_EQ(second.waitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(testenv::readFileBytes(logPath()), logBefore);
    EXPECT_EQ(GetFileAttributesW((otherAppData + L"\\Clearpane").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(first.running());
    EXPECT_NE(first.mainWindow(), nullptr);
}

TEST_F(Startup, CloseEndsTheRunAndANewRunAppends) {
    e2e::Program& first = launch();
    ASSERT_TRUE(first.waitUntilStarted());
    const HWND window = first.mainWindow();
    EXPECT_TRUE(e2e::trayIconExists(window, 1)) << "icon 1 of the main window is in the notification area";
    EXPECT_FALSE(e2e::trayIconExists(window, 2)) << "the probe must tell icons apart";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.waitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(IsWindow(window));
    // Wine drops the icon of a destroyed window by itself, so this cannot
    // tell NIM_DELETE from process clean-up; it shows that nothing is left.
    EXPECT_FALSE(e2e::trayIconExists(window, 1));
    EXPECT_EQ(testenv::logMessages(logPath()), std::vector<std::string>{"started"}) << "shutdown logs nothing";

    // The mutex is gone with the first run, so a second one starts normally.
    e2e::Program& second = launch();
    ASSERT_TRUE(second.waitUntilStarted());
    EXPECT_EQ(testenv::logMessages(logPath()), (std::vector<std::string>{"started", "started"}));
    EXPECT_EQ(testenv::readFileBytes(logPath()).find("\xEF\xBB\xBF", 1), std::string::npos);
    PostMessageW(second.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second.waitForExit(), std::optional<DWORD>(0));
}

TEST_F(Startup, MainWindowIsAHiddenZeroSizeToolWindow) {
    e2e::Program& program = launch();
    ASSERT_TRUE(program.waitUntilStarted());
    const HWND window = FindWindowW(L"CP_Main", L"Clearpane");
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
    for (const auto& hotKey : kHotKeys) {
        SCOPED_TRACE(static_cast<char>(hotKey.key));
        const BOOL taken = RegisterHotKey(nullptr, hotKey.id, kHotKeyModifiers, hotKey.key);
        EXPECT_FALSE(taken) << "Ctrl+Alt+Shift+" << static_cast<char>(hotKey.key) << " is not held";
        if (taken) UnregisterHotKey(nullptr, hotKey.id);
    }

    // Free again for a new run (Wine would also free them with the window).
    PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(program.waitForExit(), std::optional<DWORD>(0));
    for (const auto& hotKey : kHotKeys) {
        SCOPED_TRACE(static_cast<char>(hotKey.key));
        const BOOL taken = RegisterHotKey(nullptr, hotKey.id, kHotKeyModifiers, hotKey.key);
        EXPECT_TRUE(taken) << "error " << GetLastError();
        if (taken) UnregisterHotKey(nullptr, hotKey.id);
    }
}

TEST_F(Startup, LogFallsBackToTheCurrentDirectory) {
    const struct {
        const char* name;
        std::optional<std::wstring> localAppData;
    } cases[] = {
        {"unset", std::nullopt},
        {"600 characters", L"C:\\" + std::wstring(597, L'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring current = folder(c.localAppData ? L"clearpane-e2e-long" : L"clearpane-e2e-unset");
        e2e::Program& program = launch({c.localAppData, current, e2e::logPathUnder(current)});
        ASSERT_TRUE(program.waitUntilStarted());
        EXPECT_EQ(testenv::logMessages(e2e::logPathUnder(current)), std::vector<std::string>{"started"});
        program.stop();
        EXPECT_FALSE(program.running());
    }
}

TEST_F(Startup, StartAndQuitWriteNoSettings) {
    // Enabled stays 0 so that nothing of the filter runs.
    testenv::writeDword(kValueStyle, 2);
    testenv::writeDword(kValueOutline, 0);
    testenv::writeDword(kValueHideOverlays, 1);
    testenv::writeDword(kValueEnabled, 0);
    testenv::writeDword(kValueRegionLeft, static_cast<DWORD>(-1280));
    testenv::writeDword(kValueRegionTop, 0);
    testenv::writeDword(kValueRegionRight, 640);
    testenv::writeDword(kValueRegionBottom, 480);
    testenv::writeDword(kValueHasRegion, 1);
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
