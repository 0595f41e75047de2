#pragma once
// Shared by the shell's tests: the global state on a hidden stand-in for the
// main window that runs the program's own window procedure, and a watcher
// that answers the message box the code under test opens.

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/shell.h"
#include "app/tray.h"
#include "support/filter_fixtures.h"
#include "support/test_env.h"

namespace shellfx {

// Answers the first message box of this process with this caption, noting
// its text and the TipShown value while it was open.
struct BoxAnswerer {
    explicit BoxAnswerer(const wchar_t* caption)
        : thread([this, caption] {
              for (int i = 0; i < 300 && !done; ++i, Sleep(10)) {
                  if (HWND box = FindWindowW(L"#32770", caption)) {
                      wchar_t body[4096] = {};
                      GetDlgItemTextW(box, 0xFFFF, body, 4096);
                      text = body;
                      tipShownWhileOpen = testenv::readDword(kValueTipShown).value_or(0);
                      shown = true;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
              }
          }) {}
    ~BoxAnswerer() {
        done = true;
        thread.join();
    }
    std::atomic<bool> done{false}, shown{false};
    std::wstring text;
    DWORD tipShownWhileOpen = 0;
    std::thread thread;  // last: starts once the fields exist
};

// The tip and balloons the notification area last took for an icon, and the
// adds that reached it: the shell shows them in another process and has no
// call to read them back.
struct TrayShown {
    std::wstring tip, balloon;
    int balloons = 0, adds = 0;
};
inline TrayShown trayShown;
// How the shell answers: as it does, refusing everything (not ready at
// logon), or refusing an add it carried out all the same (it timed out).
enum class ShellAnswers { Truly, Refuses, RefusesButAdds };
inline ShellAnswers shellAnswers = ShellAnswers::Truly;
inline BOOL WINAPI noteTray(DWORD message, PNOTIFYICONDATAW data);
inline const auto realNotify = imports::redirect("shell32.dll", "Shell_NotifyIconW", &noteTray);
inline BOOL WINAPI noteTray(DWORD message, PNOTIFYICONDATAW data) {
    if (shellAnswers == ShellAnswers::Refuses) return FALSE;
    const BOOL taken = realNotify(message, data);
    trayShown.adds += message == NIM_ADD;
    if (taken && (message == NIM_ADD || message == NIM_MODIFY)) {
        if (data->uFlags & NIF_TIP) trayShown.tip = data->szTip;
        if (data->uFlags & NIF_INFO) trayShown.balloon = data->szInfo, ++trayShown.balloons;
    }
    return message == NIM_ADD && shellAnswers == ShellAnswers::RefusesButAdds ? FALSE : taken;
}

// The global state, filter off, on a stand-in main window that runs
// mainWindowProc and owns a tray icon; the tip
// counts as shown, so no box stops a test, and no timer ticks by itself.
class ShellFixture : public testing::Test {
protected:
    void SetUp() override {
        fx::realTimers = false;
        testenv::clearSettingsKey();
        testenv::writeDword(kValueTipShown, 1);
        testenv::deleteLog();
        fx::freshAppState(main_.get());
        addTrayIcon(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        deleteTrayIcon();
        fx::resetFilterState(appState);
        takeMenuRequest();
        trayShown = {};
        shellAnswers = ShellAnswers::Truly;
        fx::realTimers = true;
    }
    void send(UINT message, WPARAM wParam = 0) { SendMessageW(main_.get(), message, wParam, 0); }
    // True when the code asked for the tray menu (and takes the request away).
    bool takeMenuRequest() {
        MSG msg;
        return PeekMessageW(&msg, main_.get(), kShowTrayMenuMessage, kShowTrayMenuMessage, PM_REMOVE) != FALSE;
    }

    fx::HiddenMainWindow main_{mainWindowProc};
};

}  // namespace shellfx
