#pragma once

// Starting the built Clearpane.exe and watching it from outside: its
// windows, message boxes, exit code and log file.
//
// The program opens its log without sharing for each line, so a test that
// opens the log while the program writes makes that line fail and vanish.
// Poll with logSize (which opens nothing) and read the log only when the
// program writes no more: after waitUntilStarted with the filter off, or
// after it has ended.

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Clearpane.exe, or another file, in the folder of this test executable.
std::wstring programPath(const wchar_t* file = L"Clearpane.exe");

struct StartOptions {
    // LOCALAPPDATA as the program sees it; nullopt removes the variable.
    std::optional<std::wstring> localAppData;
    // The program's current directory; empty keeps the test's own.
    std::wstring currentDirectory;
    // The log the program should write; waitUntilStarted watches it.
    std::wstring logPath = {};
    // The program file.
    std::wstring program = programPath();
};

// One started Clearpane.exe. The destructor ends it if it still runs.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // CreateProcessW with a copy of this process's environment changed as
    // the options ask. False when the process could not be created.
    bool start(const StartOptions& options);

    // Waits until the program has its main window, its log has grown by
    // a "started" line (taken to be the first line of the run), and the
    // window has answered a sent message: start-up has then run past the
    // hot keys.
    testing::AssertionResult waitUntilStarted(DWORD timeoutMs = 15000);
    // The same for a log named here instead of in the options; it must be
    // one that did not exist when the program was started.
    testing::AssertionResult waitUntilStarted(const std::wstring& logPath, DWORD timeoutMs = 15000);

    bool running() const;
    // The exit code once the process has ended, nullopt on time-out.
    std::optional<DWORD> waitForExit(DWORD timeoutMs = 10000);

    // Posts WM_CLOSE to the main window and to any message box of the
    // process, waits, and terminates the process as a last resort.
    void stop();
    // Ends the process at once (TerminateProcess), as a crash would.
    void kill();

    DWORD processId() const { return processId_; }
    // The process's main window (its class and title), or null.
    HWND mainWindow() const;
    // Top-level windows of the process, hidden ones included.
    std::vector<HWND> windows() const;
    // A dialog-class window (a message box) of the process with this caption.
    HWND findMessageBox(const std::wstring& caption) const;

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::wstring logPath_;
    ULONGLONG logSizeAtStart_ = 0;
};

std::wstring windowClass(HWND window);
std::wstring windowText(HWND window);

// The text of a message box (its static control 0xFFFF).
std::wstring messageBoxText(HWND box);
// Answers a message box with OK.
void pressOk(HWND box);

// Shell_NotifyIconW naming only icon `id` of `owner`.
bool notifyTray(DWORD message, HWND owner, UINT id);
// True while the notification area holds the icon: a NIM_MODIFY that
// changes nothing succeeds only for an icon that exists.
inline bool trayIconExists(HWND owner, UINT id) { return notifyTray(NIM_MODIFY, owner, id); }

// What the first icon in Wine's notification area shows, told from the
// screen by its red strokes: the idle pencil runs from top left to bottom
// right, and the filtered icon crosses it with a second stroke. The tray
// draws a change in parts, so a half-drawn icon tells neither.
enum class TrayIcon { None, Idle, Filtered, Unclear };
TrayIcon trayIconShown();

// Runs a Linux shell command (real X input through xdotool, for example) and
// waits until it has finished. False when it did not finish in time.
bool runLinuxCommand(const std::string& command, DWORD timeoutMs = 10000);
// Moves the real pointer to a virtual-screen point and returns once Wine has it there.
bool movePointer(POINT to);
// Real key presses, sent while the X focus is on the notification area,
// a Wine window, so that hot keys reach the program; held down for some
// seconds when told, the key repeating meanwhile.
bool pressKeys(const std::string& keys, const std::string& heldSeconds = "");
// Presses or releases the real left button; returns once Wine has it so.
bool leftButton(bool down);

// Bytes of a log line with this message: stamp, message, CR LF.
ULONGLONG logLineBytes(const wchar_t* message);
// Size of a file in bytes (0 when it is missing), read without opening it.
ULONGLONG logSize(const std::wstring& path);

// base + "\Clearpane\clearpane.log".
std::wstring logPathUnder(const std::wstring& base);

// The one fixture of these tests: no Clearpane runs and the settings key is
// empty at the start; afterwards every program started here is ended and
// every folder made is removed.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder, removed after the test.
    std::wstring folder(const wchar_t* prefix);
    // Starts another Clearpane.exe, ended after the test.
    Program& launch(const StartOptions& options);
    Program& launch() { return launch({appData_, L"", logPath()}); }
    // Starts program_ with appData_ and waits until it has started.
    void start(const std::wstring& program = programPath());
    // The region's four sides and HasRegion, stored.
    static void storeRegion(const RECT& region);
    // Shown top-level windows of program_ with this class.
    std::vector<HWND> visible(const wchar_t* className) const;
    size_t logCount(const wchar_t* line) const;
    std::wstring logPath() const { return logPathUnder(appData_); }

    Program program_;
    HWND main_ = nullptr;
    std::wstring appData_;

private:
    std::vector<std::unique_ptr<Program>> others_;
    std::vector<std::wstring> folders_;
};

}  // namespace e2e
