// The shell's decisions: the tray menu's items, the picker's candidates and
// titles, launch at login, the tip and the About box, and the commands and
// hot keys that reach the main window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/launch.h"
#include "app/log.h"
#include "app/texts.h"
#include "app/tray.h"
#include "picker/candidate.h"
#include "picker/picker.h"
#include "select/select.h"
#include "support/overlay_fixtures.h"
#include "support/shell_fixtures.h"
#include "support/wait.h"

namespace {

std::wstring describe(const std::vector<TrayMenuItem>& items) {
    std::wstring all;
    for (const auto& item : items) all += item.text + L" " + std::to_wstring(item.id) + L"/" + std::to_wstring(item.flags) + L"|";
    return all;
}

TEST(TrayMenu, ItemsShowTheStateAndSendTheirCommands) {
    EXPECT_EQ(describe(trayMenuItems(AppState{}, false)),
              L"Clearpane \u00B7 idle 0/2| 0/2048|Hide Annotations\tCtrl+Alt+Shift+D 1/0|"
              L"Peek for 5 Seconds\tCtrl+Alt+Shift+P 2/1| 0/2048|Whole Screen\tCtrl+Alt+Shift+F 3/0|"
              L"Select Area\u2026\tCtrl+Alt+Shift+A 4/0|Mirror a Window\u2026 0/16|Area: whole screen 0/2| 0/2048|"
              L"Mode 0/16|Show Outline 9/8|Also Hide Overlay Windows (experimental) 10/0| 0/2048|"
              L"Launch at Login 11/0|About Clearpane 12/0| 0/2048|Quit Clearpane 13/0|");
    EXPECT_EQ(describe(modeMenuItems(FilterStyle::OneWindow)),
              L"Live \u00B7 screen area 6/0|Live \u00B7 one window (no overlays) 7/8|Solid cover 8/0|");

    AppState on;
    on.filterActive = on.hasRegion = on.hideOverlays = true;
    on.outline = false;
    on.region = RECT{LONG_MIN, 0, LONG_MAX, 480};  // wider than 32 bits can say
    on.style = FilterStyle::OneWindow;
    on.targetTitle = L"Notes & Plans";
    const auto items = trayMenuItems(on, true, 1u << kHotKeyHideAnnotations);  // another program holds D
    ASSERT_EQ(items.size(), 19u);
    EXPECT_EQ(describe({items[0], items[2], items[3], items[8], items[9], items[12], items[13], items[15]}),
              L"Clearpane \u00B7 filtered 0/2|Hide Annotations\tCtrl+Alt+Shift+D (in use) 1/8|"
              L"Peek for 5 Seconds\tCtrl+Alt+Shift+P 2/0|Area: 4294967295 \u00D7 480 0/2|"
              L"Window: Notes && Plans 0/2|Show Outline 9/0|Also Hide Overlay Windows (experimental) 10/8|"
              L"Launch at Login 11/8|");
    on.style = FilterStyle::SolidCover;  // the window line only in one-window mode
    EXPECT_EQ(trayMenuItems(on, true).size(), 18u);
}

TEST(TrayIcon, PicturesAreLoadedAtTheSmallIconSizeOfTheScale) {
    const struct {
        UINT dpi;
        int side;
    } rows[] = {{96, 16}, {144, 24}, {192, 32}};
    for (const auto& row : rows) EXPECT_EQ(trayIconSize(row.dpi), row.side) << row.dpi << " DPI";
}

TEST(Picker, OffersOnlyShownTitledNonToolWindowsOfOtherProgramsOfAtLeast120By90) {
    const WindowFacts good{8, true, false, WS_EX_APPWINDOW, RECT{0, 0, 120, 90}, L"Editor", L"", RECT{}};
    const struct {
        const char* what;
        void (*change)(WindowFacts&);
        bool offered;
    } cases[] = {
        {"120 x 90 of another process", [](WindowFacts&) {}, true},
        {"own process", [](WindowFacts& f) { f.processId = 7; }, false},
        {"hidden", [](WindowFacts& f) { f.visible = false; }, false},
        {"minimised", [](WindowFacts& f) { f.minimised = true; }, false},
        {"tool window", [](WindowFacts& f) { f.exStyle |= WS_EX_TOOLWINDOW; }, false},
        {"no title", [](WindowFacts& f) { f.title.clear(); }, false},
        {"119 wide", [](WindowFacts& f) { f.rect.right = 119; }, false},
        {"89 high", [](WindowFacts& f) { f.rect.bottom = 89; }, false},
        {"wider than 32 bits", [](WindowFacts& f) { f.rect = RECT{LONG_MIN, 0, LONG_MAX, 90}; }, true},
    };
    for (const auto& c : cases) {
        WindowFacts facts = good;
        c.change(facts);
        EXPECT_EQ(isMirrorCandidate(facts, 7), c.offered) << c.what;
    }
}

TEST(Picker, MenuTitlesAreShortenedWholeAndShowTheirAmpersands) {
    const std::wstring x55(55, L'x'), x56(56, L'x'), pair = L"\xD83D\xDE00";
    const struct {
        std::wstring title, shown;
    } cases[] = {
        {x55 + L"12345", x55 + L"12345"},
        {x55 + L"123456", x55 + L"12\u2026"},
        {x56 + pair + L"tail", x56 + L"\u2026"},
        {x55 + pair + L"tail", x55 + pair + L"\u2026"},
        {L"R&D & Co", L"R&&D && Co"},
        {x56 + L"&&tail", x56 + L"&&\u2026"},
    };
    for (const auto& c : cases) EXPECT_EQ(menuEscaped(shortenedTitle(c.title)), c.shown);
}

TEST(Startup, AnotherCopyRunsWhenTheMutexExistsOrIsDenied) {
    const HANDLE some = reinterpret_cast<HANDLE>(1);
    EXPECT_TRUE(anotherCopyRuns(some, ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(anotherCopyRuns(some, ERROR_SUCCESS));
    EXPECT_TRUE(anotherCopyRuns(nullptr, ERROR_ACCESS_DENIED));
    EXPECT_FALSE(anotherCopyRuns(nullptr, ERROR_INVALID_HANDLE));  // no guard, but the program runs
}

TEST(LaunchAtLogin, TheProgramPathIsReadWholeOrNotAtAllNeverCut) {
    for (const DWORD length : {519u, 520u, 40000u}) {
        const std::wstring path(length, L'x');
        // As GetModuleFileNameW: a path that does not fit is cut, and the buffer's size returned.
        const auto read = [&](wchar_t* buffer, DWORD size) {
            const DWORD copied = length < size ? length : size - 1;
            std::copy_n(path.data(), copied, buffer);
            buffer[copied] = L'\0';
            return length < size ? copied : size;
        };
        EXPECT_EQ(readWholePath(read), length < 32768 ? path : L"") << length;
    }
}

using Shell = shellfx::ShellFixture;

TEST_F(Shell, LaunchAtLoginStoresTheQuotedProgramPathAsTheRunValueAndTakesItAway) {
    testenv::deleteValue(kRunValueName, kRunKeyPath);
    send(WM_COMMAND, kCommandLaunchAtLogin);
    EXPECT_EQ(testenv::value(kRunValueName, kRunKeyPath), testenv::RawValue::sz(L"\"" + getModulePath() + L"\""));
    send(WM_COMMAND, kCommandLaunchAtLogin);
    EXPECT_FALSE(testenv::value(kRunValueName, kRunKeyPath));
}

TEST_F(Shell, TheMenuListsTheFortyFrontmostWindowsOfOtherProgramsForItsEntriesToMirror) {
    // Another program's windows, in front of all others.
    const ox::OverlayHelper other({{0, RECT{200, 150, 500, 350}, static_cast<int>(kMaxWindowTargets) + 5}});
    ASSERT_EQ(other.windows().size(), kMaxWindowTargets + 5);
    // Wine restacks windows just made for a moment after their program has shown them.
    std::vector<HWND> frontmost;
    int sameReads = 0;
    ASSERT_TRUE(waitUntil([&] {
        const auto now = ox::windowsOfClass(ox::kHelperClass, other.processId());
        sameReads = now == frontmost ? sameReads + 1 : 0;
        frontmost = now;
        return sameReads == 5;
    }));
    offerWindows({});
    PostMessageW(main_.get(), kShowTrayMenuMessage, 0, 0);
    PostMessageW(main_.get(), WM_CANCELMODE, 0, 0);  // ends the menu from inside its loop
    ASSERT_TRUE(waitUntil([] { return !appState.menuOpen && offeredWindows().size() == kMaxWindowTargets; }));
    ASSERT_EQ(frontmost.size(), kMaxWindowTargets + 5);
    for (size_t i = 0; i < kMaxWindowTargets; ++i) EXPECT_EQ(offeredWindows()[i].window, frontmost[i]) << i;
    send(WM_COMMAND, kCommandFirstWindow + kMaxWindowTargets - 1);
    EXPECT_EQ(appState.targetWindow, frontmost[kMaxWindowTargets - 1]);
}

TEST_F(Shell, ATrayIconTheShellRefusesIsTriedForTwoMinutesAndNeverAddedTwice) {
    deleteTrayIcon();
    shellfx::trayShown = {};
    shellfx::shellAnswers = shellfx::ShellAnswers::Refuses;
    fx::mainTimerPeriods.clear();
    addTrayIcon(GetModuleHandleW(nullptr));
    showTrayBalloon(L"title", L"waits for the icon");
    const auto given = [] { return testenv::countLogMessage(testenv::narrow(logtext::trayIconNotAdded)); };
    UINT tries = 0;
    for (; tries < 100 && given() == 0; ++tries) send(WM_TIMER, kTrayRetryTimerId);
    ASSERT_EQ(fx::mainTimerPeriods.size(), 1u);
    EXPECT_EQ(fx::mainTimerPeriods[0] * tries, 120000u) << "every 2 s for two minutes";
    send(WM_TIMER, kTrayRetryTimerId);
    EXPECT_EQ(given(), 1u) << "given up once";

    shellfx::shellAnswers = shellfx::ShellAnswers::RefusesButAdds;
    send(RegisterWindowMessageW(L"TaskbarCreated"));
    send(WM_TIMER, kTrayRetryTimerId);
    send(WM_TIMER, kTrayRetryTimerId);
    EXPECT_EQ(shellfx::trayShown.adds, 1) << "a second icon";
    EXPECT_EQ(shellfx::trayShown.balloon, L"waits for the icon");
    EXPECT_EQ(shellfx::trayShown.balloons, 1);
}

TEST_F(Shell, AboutBoxSaysWhatTheProgramDoes) {
    shellfx::BoxAnswerer box(text::aboutCaption);
    send(WM_COMMAND, kCommandAbout);
    EXPECT_TRUE(waitUntil([&] { return box.shown.load(); }));
    EXPECT_EQ(box.text, text::aboutBody);
}

TEST_F(Shell, TipComesOnceWhenHideAnnotationsTurnsAScreenAreaFilterOn) {
    testenv::deleteValue(kValueTipShown);  // not shown yet
    appState.style = FilterStyle::SolidCover;
    send(WM_HOTKEY, kHotKeyHideAnnotations);
    send(WM_HOTKEY, kHotKeyHideAnnotations);
    setFilterStyle(appState, FilterStyle::ScreenArea);
    {
        shellfx::BoxAnswerer box(text::appName);
        send(WM_COMMAND, kCommandHideAnnotations);
        EXPECT_TRUE(waitUntil([&] { return box.shown.load(); }) && appState.filterActive);
        EXPECT_EQ(box.text, text::wholeScreenTip);
        EXPECT_EQ(box.tipShownWhileOpen, 1u) << "written before the box";
    }
    send(WM_COMMAND, kCommandHideAnnotations);
    shellfx::BoxAnswerer none(text::appName);
    send(WM_COMMAND, kCommandHideAnnotations);
    MSG due;
    EXPECT_TRUE(waitUntil([&] { return !PeekMessageW(&due, main_.get(), kShowBoxMessage, kShowBoxMessage, PM_NOREMOVE); }));
    EXPECT_TRUE(appState.filterActive);
    EXPECT_FALSE(none.shown);
}

TEST_F(Shell, MenuCommandsAndHotKeysDoWhatTheirItemsSay) {
    send(WM_COMMAND, kCommandSelectArea);
    EXPECT_TRUE(appState.selectionOpen);
    cancelRegionSelection();
    setRegion(appState, RECT{200, 150, 600, 450});
    send(WM_COMMAND, MAKEWPARAM(kCommandOutline, 1));  // the high word is ignored
    send(WM_COMMAND, kCommandHideOverlays);
    send(WM_COMMAND, kCommandModeOneWindow);  // no target: off, and the menu to pick one
    EXPECT_TRUE(!appState.outline && appState.hideOverlays && appState.style == FilterStyle::OneWindow);
    EXPECT_FALSE(appState.filterActive);
    EXPECT_TRUE(takeMenuRequest());

    fx::PatternWindow target(fx::rect(300, 300, 500, 450), fx::solid(RGB(9, 9, 9)), fx::solid(RGB(9, 9, 9)));
    offerWindows({{target.get(), L"pattern"}});
    send(WM_COMMAND, kCommandFirstWindow + 1);  // beyond the list: nothing
    EXPECT_EQ(appState.targetWindow, nullptr);
    send(WM_COMMAND, kCommandFirstWindow);
    EXPECT_TRUE(appState.filterActive && appState.targetWindow == target.get());
    target.destroy();
    send(WM_HOTKEY, kHotKeyHideAnnotations);  // target gone: off, and the menu
    EXPECT_FALSE(appState.filterActive);
    EXPECT_TRUE(takeMenuRequest());
    offerWindows({});

    send(WM_COMMAND, kCommandModeSolidCover);
    send(WM_HOTKEY, kHotKeyWholeScreen);
    const RECT screen = virtualScreenRect();
    EXPECT_TRUE(appState.filterActive && EqualRect(&appState.region, &screen));
    send(WM_HOTKEY, kHotKeyPeek);
    EXPECT_NE(appState.peekTimer, 0u);
    send(WM_ENDSESSION, TRUE);
    EXPECT_FALSE(KillTimer(main_.get(), kPeekTimerId)) << "the peek's timer is killed at the end, not only forgotten";
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the end's, as Quit posts it
}

}  // namespace
