// Start-up and shutdown of the real program, watched from outside: the
// "started" line, the single-instance box, the hidden main window, the hot
// keys, the tray icon, the exit code and where the log goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <regex>
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

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every value of the settings key, by name, as raw type and bytes.
std::vector<std::string> settingsSnapshot() {
    std::vector<std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 1024;
        BYTE data[1024];
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values.push_back(testenv::narrow(std::wstring(name, nameLength)) + ":" + std::to_string(type) + ":" +
                         std::string(reinterpret_cast<const char*>(data), size));
    }
    RegCloseKey(key);
    return values;
}

ULONGLONG ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

bool settingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class Startup : public testing::Test {
protected:
    void SetUp() override {
        testenv::clearSettingsKey();
        ASSERT_TRUE(waitUntil([] { return FindWindowW(L"CP_Main", nullptr) == nullptr; }, 10000))
            << "a Clearpane from an earlier test still runs";
        appData_ = folder(L"clearpane-e2e-appdata");
    }

    void TearDown() override {
        for (auto& program : programs_) program->stop();
        programs_.clear();
        testenv::clearSettingsKey();
        for (const auto& dir : folders_) testenv::removeTree(dir);
    }

    std::wstring folder(const wchar_t* prefix) {
        folders_.push_back(testenv::temporaryDirectory(prefix));
        return folders_.back();
    }

    e2e::Program& launch(const e2e::StartOptions& options) {
        programs_.push_back(std::make_unique<e2e::Program>());
        EXPECT_TRUE(programs_.back()->start(options)) << "CreateProcessW failed: " << GetLastError();
        return *programs_.back();
    }

    e2e::Program& launch() { return launch({appData_, L"", logPath()}); }

    std::wstring logPath() const { return e2e::logPathUnder(appData_); }

    std::wstring appData_;

private:
    std::vector<std::unique_ptr<e2e::Program>> programs_;
    std::vector<std::wstring> folders_;
};

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
    const std::string rest = bytes.substr(3);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        rest, match, std::regex(R"(\[(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})\] started\r\n)")))
        << rest;
    SYSTEMTIME stamp{};
    stamp.wYear = static_cast<WORD>(std::stoi(match[1]));
    stamp.wMonth = static_cast<WORD>(std::stoi(match[2]));
    stamp.wDay = static_cast<WORD>(std::stoi(match[3]));
    stamp.wHour = static_cast<WORD>(std::stoi(match[4]));
    stamp.wMinute = static_cast<WORD>(std::stoi(match[5]));
    stamp.wSecond = static_cast<WORD>(std::stoi(match[6]));
    EXPECT_LE(ticks(before), ticks(stamp)) << "local time of the start";
    EXPECT_GE(ticks(after), ticks(stamp));
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
    EXPECT_FALSE(exists(otherAppData + L"\\Clearpane"));
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
    EXPECT_EQ(e2e::logMessages(logPath()), std::vector<std::string>{"started"}) << "shutdown logs nothing";

    // The mutex is gone with the first run, so a second one starts normally.
    e2e::Program& second = launch();
    ASSERT_TRUE(second.waitUntilStarted());
    EXPECT_EQ(e2e::logMessages(logPath()), (std::vector<std::string>{"started", "started"}));
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
        EXPECT_EQ(e2e::logMessages(e2e::logPathUnder(current)), std::vector<std::string>{"started"});
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
    const auto before = settingsSnapshot();

    for (const bool withKey : {true, false}) {
        SCOPED_TRACE(withKey ? "with settings" : "without a key");
        if (!withKey) testenv::clearSettingsKey();
        e2e::Program& program = launch();
        ASSERT_TRUE(program.waitUntilStarted());
        PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
        ASSERT_EQ(program.waitForExit(), std::optional<DWORD>(0));
        if (withKey) {
            EXPECT_EQ(settingsSnapshot(), before);
        } else {
            EXPECT_FALSE(settingsKeyExists());
        }
    }
}

}  // namespace
