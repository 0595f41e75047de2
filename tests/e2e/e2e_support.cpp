#include "e2e/e2e_support.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"
#include "settings/geometry.h"
#include "settings/settings.h"
#include "support/filter_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace e2e {
namespace {

bool sameName(const std::wstring& entry, const wchar_t* name) {
    const size_t length = wcslen(name);
    return entry.size() > length && entry[length] == L'=' &&
           CompareStringOrdinal(entry.c_str(), static_cast<int>(length), name, static_cast<int>(length), TRUE) ==
               CSTR_EQUAL;
}

// This process's environment without LOCALAPPDATA, plus the wanted value.
std::vector<wchar_t> environmentBlock(const std::optional<std::wstring>& localAppData) {
    std::vector<std::wstring> entries;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
            std::wstring entry = p;
            if (!sameName(entry, L"LOCALAPPDATA")) entries.push_back(entry);
        }
        FreeEnvironmentStringsW(strings);
    }
    if (localAppData) entries.push_back(L"LOCALAPPDATA=" + *localAppData);

    std::vector<wchar_t> block;
    for (const auto& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::wstring programPath(const wchar_t* file) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + file;
}

Program::~Program() {
    stop();
    if (process_) CloseHandle(process_);
}

bool Program::start(const StartOptions& options) {
    if (process_) return false;
    logPath_ = options.logPath;
    logSizeAtStart_ = logSize(logPath_);
    std::wstring commandLine = L"\"" + options.program + L"\"";
    std::vector<wchar_t> environment = environmentBlock(options.localAppData);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(options.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(),
                        options.currentDirectory.empty() ? nullptr : options.currentDirectory.c_str(), &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

testing::AssertionResult Program::waitUntilStarted(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    auto left = [&] { return static_cast<DWORD>(std::max<LONGLONG>(0, deadline - GetTickCount64())); };
    auto failure = [&](const std::string& what) {
        auto result = testing::AssertionFailure() << what;
        if (!running()) result << "; the process has ended";
        if (HWND box = findMessageBox(text::appName)) {
            result << "; it shows a box: " << testenv::narrow(messageBoxText(box));
        }
        return result;
    };
    if (!waitUntil([&] { return mainWindow() != nullptr; }, left())) return failure("no main window");

    // Mark (for a new file) and "[YYYY-MM-DD HH:MM:SS] started\r\n".
    const ULONGLONG expected = logSizeAtStart_ + (logSizeAtStart_ == 0 ? 3 : 0) + logLineBytes(logtext::started);
    if (!waitUntil([&] { return logSize(logPath_) >= expected; }, left())) {
        return failure("the log did not grow by a \"started\" line: " + std::to_string(logSize(logPath_)) +
                       " bytes of " + std::to_string(expected) + " in " + testenv::narrow(logPath_));
    }
    // Start-up pumps no messages between the "started" line and the end of
    // the hot keys, so an answer means they are registered.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(mainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, left(), &result)) {
        return failure("the main window does not answer");
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult Program::waitUntilStarted(const std::wstring& logPath, DWORD timeoutMs) {
    if (logPath_ != logPath) {
        logPath_ = logPath;
        logSizeAtStart_ = 0;
    }
    return waitUntilStarted(timeoutMs);
}

bool Program::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::waitForExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    if (!waitUntil([&] { return !running(); }, timeoutMs)) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void Program::stop() {
    if (!running()) return;
    for (HWND window : windows()) {
        const std::wstring name = windowClass(window);
        if (name == kMainClass || name == L"#32770") PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (!waitForExit(5000)) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

void Program::kill() {
    if (!running()) return;
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
}

HWND Program::mainWindow() const {
    for (HWND window : windows()) {
        if (windowClass(window) == kMainClass && windowText(window) == text::appName) return window;
    }
    return nullptr;
}

std::vector<HWND> Program::windows() const {
    return processId_ ? fx::windowsOfClass(nullptr, processId_, false) : std::vector<HWND>{};
}

HWND Program::findMessageBox(const std::wstring& caption) const {
    for (HWND window : windows()) {
        if (windowClass(window) == L"#32770" && windowText(window) == caption) return window;
    }
    return nullptr;
}

std::wstring windowClass(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    const int length = GetWindowTextW(window, text, 512);
    return std::wstring(text, length > 0 ? length : 0);
}

std::wstring messageBoxText(HWND box) {
    wchar_t text[4096] = {};
    const UINT length = GetDlgItemTextW(box, 0xFFFF, text, 4096);
    return std::wstring(text, length);
}

void pressOk(HWND box) { SendMessageW(box, WM_COMMAND, IDOK, 0); }

bool notifyTray(DWORD message, HWND owner, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIconW(message, &data) != FALSE;
}

TrayIcon trayIconShown() {
    // The tray draws each icon in a child window of its own.
    HWND tray = FindWindowW(nullptr, L"Wine System Tray");
    HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
    RECT rect{};
    if (!icon || !IsWindowVisible(icon) || !GetWindowRect(icon, &rect)) return TrayIcon::None;
    const fx::ScreenGrab grab = fx::grabScreen(rect);
    // Red pixels in a block a fifth of the icon's size, blocks 1 and 3 of 5
    // across and down: the corners of the strokes, clear of the middle.
    const auto reds = [&](int across, int down) {
        int count = 0;
        for (int y = down * grab.height / 5; y < (down + 1) * grab.height / 5; ++y) {
            for (int x = across * grab.width / 5; x < (across + 1) * grab.width / 5; ++x) {
                const COLORREF c = grab.at(x, y);
                count += GetRValue(c) > std::max(GetGValue(c), GetBValue(c)) + 60 ? 1 : 0;
            }
        }
        return count;
    };
    if (reds(1, 1) < 3 || reds(3, 3) < 3) return TrayIcon::Unclear;
    if (reds(3, 1) >= 3 && reds(1, 3) >= 3) return TrayIcon::Filtered;
    return reds(3, 1) == 0 && reds(1, 3) == 0 ? TrayIcon::Idle : TrayIcon::Unclear;
}

bool runLinuxCommand(const std::string& command, DWORD timeoutMs) {
    // start /unix does not wait for the program, so it leaves a mark when done.
    char mark[64];
    std::snprintf(mark, sizeof mark, "/tmp/clearpane-e2e-%lu-%llu", GetCurrentProcessId(),
                  static_cast<unsigned long long>(GetTickCount64()));
    std::wstring line = L"start.exe /unix /bin/sh -c \"" + std::wstring(command.begin(), command.end()) +
                        L"; touch " + std::wstring(mark, mark + std::strlen(mark)) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    const std::wstring markFile = L"Z:" + std::wstring(mark, mark + std::strlen(mark));
    const bool done = waitUntil([&] { return GetFileAttributesW(markFile.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                timeoutMs);
    DeleteFileW(markFile.c_str());
    return done;
}

bool movePointer(POINT to) {
    // The X screen's origin is the virtual screen's top-left corner.
    const RECT screen = virtualScreenRect();
    POINT now{};
    return runLinuxCommand("xdotool mousemove " + std::to_string(to.x - screen.left) + " " +
                           std::to_string(to.y - screen.top)) &&
           waitUntil([&] { return GetCursorPos(&now) && now.x == to.x && now.y == to.y; });
}

bool pressKeys(const std::string& keys, const std::string& heldSeconds) {
    const std::string press =
        heldSeconds.empty() ? "key " + keys : "keydown " + keys + " sleep " + heldSeconds + " keyup " + keys;
    return runLinuxCommand("xdotool search --onlyvisible --name 'Wine System Tray' windowfocus --sync " + press);
}

bool leftButton(bool down) {
    return runLinuxCommand(down ? "xdotool mousedown 1" : "xdotool mouseup 1") &&
           waitUntil([&] { return (GetAsyncKeyState(VK_LBUTTON) < 0) == down; });
}

ULONGLONG logLineBytes(const wchar_t* message) { return 22 + testenv::narrow(message).size() + 2; }

ULONGLONG logSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring logPathUnder(const std::wstring& base) { return base + L"\\Clearpane\\clearpane.log"; }

void ProgramTest::SetUp() {
    testenv::clearSettingsKey();
    ASSERT_TRUE(waitUntil([] { return FindWindowW(kMainClass, nullptr) == nullptr; }, 10000))
        << "a Clearpane from an earlier test still runs";
    // An earlier run's icon may linger a moment in the tray's first place.
    ASSERT_TRUE(waitUntil([] { return trayIconShown() == TrayIcon::None; }));
    appData_ = folder(L"clearpane-e2e");
}

void ProgramTest::TearDown() {
    if (HWND main = program_.mainWindow()) PostMessageW(main, WM_CANCELMODE, 0, 0);  // a menu left open
    program_.stop();
    EXPECT_TRUE(program_.running() == false) << "Clearpane did not exit";
    for (auto& other : others_) other->stop();
    others_.clear();
    testenv::clearSettingsKey();
    for (const auto& dir : folders_) testenv::removeTree(dir);
}

std::wstring ProgramTest::folder(const wchar_t* prefix) {
    folders_.push_back(testenv::temporaryDirectory(prefix));
    return folders_.back();
}

Program& ProgramTest::launch(const StartOptions& options) {
    others_.push_back(std::make_unique<Program>());
    EXPECT_TRUE(others_.back()->start(options)) << "CreateProcessW failed: " << GetLastError();
    return *others_.back();
}

void ProgramTest::start(const std::wstring& program) {
    ASSERT_TRUE(program_.start({appData_, L"", logPath(), program})) << "CreateProcessW failed: " << GetLastError();
    ASSERT_TRUE(program_.waitUntilStarted());
    main_ = program_.mainWindow();
}

void ProgramTest::storeRegion(const RECT& region) {
    testenv::writeDword(kValueHasRegion, 1);
    testenv::writeDword(kValueRegionLeft, static_cast<DWORD>(region.left));
    testenv::writeDword(kValueRegionTop, static_cast<DWORD>(region.top));
    testenv::writeDword(kValueRegionRight, static_cast<DWORD>(region.right));
    testenv::writeDword(kValueRegionBottom, static_cast<DWORD>(region.bottom));
}

std::vector<HWND> ProgramTest::visible(const wchar_t* className) const {
    return fx::windowsOfClass(className, program_.processId());
}

size_t ProgramTest::logCount(const wchar_t* line) const {
    const auto messages = testenv::logMessages(logPath());
    return static_cast<size_t>(std::count(messages.begin(), messages.end(), testenv::narrow(line)));
}

}  // namespace e2e
