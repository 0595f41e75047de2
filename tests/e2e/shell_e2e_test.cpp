// The shell of the real Clearpane.exe: real hot keys, the tray menu, the About box, the picker's commands, and the icon coming back
// when the notification area is made anew.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/ids.h"
#include "app/texts.h"
#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "picker/picker.h"
#include "settings/settings.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

class ShellE2E : public e2e::ProgramTest {
protected:
    void start() {
        ProgramTest::start();
        ASSERT_FALSE(e2e::settledTrayIconPixels().empty()) << "no tray icon to give the keys a Wine window";
    }
    bool menuOpen() const { return !visible(L"#32768").empty(); }
};

TEST_F(ShellE2E, HotKeysToggleTheFilterWithTheTipOnceAndOpenTheMenu) {
    start();
    const size_t monitors = static_cast<size_t>(GetSystemMetrics(SM_CMONITORS));
    // A key now and then goes astray under Wine while the X focus settles: press again.
    HWND tip = nullptr;
    for (int attempt = 0; attempt < 3 && !tip; ++attempt) {
        ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+d"));
        waitUntil([&] { return (tip = program_.findMessageBox(text::appName)) != nullptr; }, 2500);
    }
    ASSERT_NE(tip, nullptr) << "the first Hide Annotations in screen-area mode explains itself";
    EXPECT_EQ(e2e::messageBoxText(tip), text::wholeScreenTip);
    e2e::pressOk(tip);
    EXPECT_TRUE(waitUntil([&] { return visible(kMirrorClass).size() == monitors; }, 5000)) << "the whole screen";

    for (int attempt = 0; attempt < 3 && !menuOpen(); ++attempt) {
        ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+w"));
        waitUntil([&] { return menuOpen(); }, 1500);
    }
    ASSERT_TRUE(menuOpen());
    EXPECT_TRUE(visible(kMirrorClass).empty()) << "the mirrors are down while the menu is open";
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !menuOpen() && visible(kMirrorClass).size() == monitors; }, 5000));

    // Sent: a box would hold the answer back until it was closed.
    EXPECT_TRUE(SendMessageTimeoutW(main_, WM_HOTKEY, kHotKeyHideAnnotations, 0, SMTO_NORMAL, 5000, nullptr));
    EXPECT_TRUE(visible(kMirrorClass).empty());
    EXPECT_EQ(program_.findMessageBox(text::appName), nullptr) << "the tip comes once";
}

TEST_F(ShellE2E, AboutBoxSaysWhatTheProgramDoes) {
    start();
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = program_.findMessageBox(text::aboutCaption)) != nullptr; }, 5000));
    EXPECT_EQ(e2e::messageBoxText(box), text::aboutBody);
    e2e::pressOk(box);
}

TEST_F(ShellE2E, PickerCommandsMirrorAnotherProgramsWindow) {
    // This process's windows are candidates for the program; the newest lie on top.
    std::vector<HWND> candidates;
    for (int i = 0; i < 45; ++i) {
        const std::wstring title = L"Candidate " + std::to_wstring(i);
        candidates.push_back(CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP | WS_VISIBLE, 40 + 20 * i,
                                             60 + 10 * i, 200 + i, 150, nullptr, nullptr, nullptr, nullptr));
    }
    start();
    PostMessageW(main_, kShowTrayMenuMessage, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return menuOpen(); }, 5000));
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !menuOpen(); }, 5000));

    // The list kept at most 40: entry 40 is none, entry 39 the oldest kept.
    SendMessageTimeoutW(main_, WM_COMMAND, kCommandFirstWindow + kMaxWindowTargets, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_TRUE(visible(kMirrorClass).empty());
    EXPECT_FALSE(testenv::readDword(kValueStyle).has_value());
    PostMessageW(main_, WM_COMMAND, kCommandFirstWindow + kMaxWindowTargets - 1, 0);
    ASSERT_TRUE(waitUntil([&] { return visible(kMirrorClass).size() == 1; }, 5000));
    EXPECT_EQ(testenv::readDword(kValueRegionLeft), 40u + 20 * (45 - kMaxWindowTargets)) << "mirrors the oldest kept";
    EXPECT_EQ(testenv::readDword(kValueStyle), static_cast<DWORD>(FilterStyle::OneWindow));
    for (HWND window : candidates) DestroyWindow(window);
}

TEST_F(ShellE2E, TrayIconComesBackWithItsPictureWhenTheNotificationAreaIsMadeAnew) {
    testenv::writeDword(kValueStyle, static_cast<DWORD>(FilterStyle::SolidCover));
    storeRegion({100, 0, 300, 300});
    start();
    e2e::TrayPictures icon;
    icon.idle = e2e::settledTrayIconPixels();
    PostMessageW(main_, WM_COMMAND, kCommandHideAnnotations, 0);
    ASSERT_TRUE(waitUntil([&] { return visible(kCoverClass).size() == 1; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return e2e::trayIconPixels() != icon.idle; }, 5000));
    icon.filtered = e2e::settledTrayIconPixels();

    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = main_;
    gone.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &gone);
    ASSERT_FALSE(e2e::trayIconExists(main_, kTrayIconId));
    PostMessageW(main_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(waitUntil([&] { return icon.shows(icon.filtered); }, 5000)) << "the icon is not back as filtered";
}

}  // namespace
