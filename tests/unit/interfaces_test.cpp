// What earlier runs, other programs, tools and users know the program by:
// each written out here once, and nowhere else in the tests, which compare
// against the product's constants. The filter windows' titles, which the
// mirror code keeps to itself, are read off the windows in
// mirror_windows_test.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/ids.h"
#include "app/log.h"
#include "app/shell.h"
#include "app/texts.h"
#include "filter/mirror_windows.h"
#include "select/select.h"
#include "settings/registry.h"
#include "support/test_env.h"

namespace {

// A hot key as users press it, from what the program registers.
std::wstring pressed(HotKeyId id) {
    std::wstring keys = kHotKeyModifiers == (MOD_CONTROL | MOD_ALT | MOD_SHIFT) ? L"Ctrl+Alt+Shift+" : L"?+";
    for (const HotKey& hotKey : kHotKeys) keys += hotKey.id == id ? std::wstring(1, static_cast<wchar_t>(hotKey.key)) : L"";
    return keys;
}

TEST(Interfaces, PersistedNamesAndTextsAreWhatUsersAndOtherProgramsKnow) {
    const struct {
        std::wstring known, product;
    } rows[] = {
        {L"Software\\Orrinvale\\Clearpane", kSettingsKeyPath},
        {L"Style", kValueStyle},
        {L"Outline", kValueOutline},
        {L"HideOverlays", kValueHideOverlays},
        {L"Enabled", kValueEnabled},
        {L"RegionLeft", kValueRegionLeft},
        {L"RegionTop", kValueRegionTop},
        {L"RegionRight", kValueRegionRight},
        {L"RegionBottom", kValueRegionBottom},
        {L"HasRegion", kValueHasRegion},
        {L"TipShown", kValueTipShown},
        {L"HiddenOverlays", kValueHiddenOverlays},
        {L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kRunKeyPath},
        {L"Clearpane", kRunValueName},
        {L"CP_Main", kMainClass},
        {L"CP_Mirror", kMirrorClass},
        {L"CP_Solid", kCoverClass},
        {L"CP_Select", kSelectClass},
        {L"Clearpane select area", kSelectTitle},
        {L"Local\\Clearpane.Instance", kInstanceMutexName},
        {L"Ctrl+Alt+Shift+D", pressed(kHotKeyHideAnnotations)},
        {L"Ctrl+Alt+Shift+P", pressed(kHotKeyPeek)},
        {L"Ctrl+Alt+Shift+A", pressed(kHotKeySelectArea)},
        {L"Ctrl+Alt+Shift+F", pressed(kHotKeyWholeScreen)},
        {L"Ctrl+Alt+Shift+W", pressed(kHotKeyMenu)},
        {L"started", logtext::started},
        {L"restored overlays hidden by a previous run", logtext::restoredOverlays},
        {L"window mode with no target; not enabling", logtext::windowModeNoTarget},
        {L"area mirror presented", logtext::areaMirrorPresented},
        {L"window mirror on one window", logtext::windowMirrorShown},
        {L"window mirror: target is gone", logtext::windowMirrorTargetGone},
        {L"SetWindowDisplayAffinity failed; the mirror may appear in captures", logtext::affinityFailed},
        {L"PrintWindow gave nothing usable; falling back to screen pixels", logtext::printWindowFallback},
        {L"hid overlay window", logtext::hidOverlay},
        {L"this Windows shows the mirror black in captures; hiding it needs Windows 10 version 2004",
         logtext::capturesShowMirrorBlack},
        {L"the notification area took no icon for two minutes; Ctrl+Alt+Shift+W opens the menu",
         logtext::trayIconNotAdded},
        {L"hot key Ctrl+Alt+Shift+D is in use by another program", hotKeyInUseLine(kHotKeyHideAnnotations)},
        {L"Some Clearpane hot keys are taken", text::hotKeysTakenTitle},
        {L"Another program holds Ctrl+Alt+Shift+D, Ctrl+Alt+Shift+W. What they do is still in the tray menu.",
         takenHotKeysText(1u << kHotKeyHideAnnotations | 1u << kHotKeyMenu)},
        {L"Clearpane", text::appName},
        {L"Clearpane is already running. Look for the pencil in the notification area.", text::alreadyRunning},
        {L"About Clearpane", text::aboutCaption},
        {L"Clearpane 1.0 for Windows\r\n\r\n"
         L"A live mirror of your screen (or of one window) so you can keep reading your own content while someone "
         L"draws over your screen share. Nothing is frozen and the share keeps running.\r\n\r\n"
         L"The mirror window is excluded from screen captures (WDA_EXCLUDEFROMCAPTURE), so it never shows up in "
         L"anyone else's share.\r\n\r\n"
         L"Mode \u00B7 screen area: a real-time copy of a rectangle. Windows cannot remove another app's overlay "
         L"from a whole-screen capture, so drawings drawn over the screen will still appear here.\r\n\r\n"
         L"Mode \u00B7 one window: a real-time copy of a single window. Because that window is captured on its "
         L"own, overlays drawn on top of it never appear. This is the annotation-free mode.\r\n\r\n"
         L"Mode \u00B7 solid cover: hides the area completely, no capture needed.\r\n\r\n"
         L"Tray icon: pencil = idle, crossed pencil = filtered.",
         text::aboutBody},
        {L"Windows will not let an app remove someone else's drawing layer from a whole-screen view, so drawings "
         L"made over the screen still appear here.\n\n"
         L"For a view with no overlays at all, choose Mirror a Window from this menu and pick the window you are "
         L"sharing: that window is captured on its own, underneath any annotations.",
         text::wholeScreenTip},
        {L"This version of Windows cannot keep Clearpane's mirror out of screen captures. Anyone watching your "
         L"shared screen sees a black rectangle where the mirror is, instead of your content and the drawings "
         L"over it.\n\n"
         L"Hiding the mirror from captures needs Windows 10 version 2004 or later. Until then, turn the filter "
         L"off while you share, or use the solid cover, which is meant to be seen.",
         text::capturesShowMirrorBlack},
    };
    for (const auto& row : rows) EXPECT_EQ(testenv::narrow(row.product), testenv::narrow(row.known));
}

}  // namespace
