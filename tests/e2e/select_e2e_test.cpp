// Select Area in the real Clearpane.exe with real input: the hot key opens
// the overlay, and a real mouse drag (xdotool) brings the filter up over the
// area dragged out. What each ending does is decided in-process.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ids.h"
#include "e2e/e2e_support.h"
#include "filter/mirror_windows.h"
#include "select/select.h"
#include "settings/geometry.h"
#include "settings/settings.h"
#include "support/filter_fixtures.h"
#include "support/test_env.h"
#include "support/wait.h"

namespace {

using SelectE2E = e2e::ProgramTest;

// Wine scales a program started after LogPixels changes: its menus, boxes,
// metrics and the DPI of every monitor. Set for one scope.
class Scale {
public:
    explicit Scale(DWORD dpi) : old_(testenv::value(kValue, kKey)) { testenv::writeDword(kValue, dpi, kKey); }
    ~Scale() { testenv::writeValue(kValue, old_, kKey); }
    Scale(const Scale&) = delete;
    Scale& operator=(const Scale&) = delete;

private:
    static constexpr wchar_t kKey[] = L"Control Panel\\Desktop", kValue[] = L"LogPixels";
    std::optional<testenv::RawValue> old_;
};

// Rows of the banner's light text at the top middle of the screen: the
// dimmed screenshot around it is darker than any of them. Zero until the
// overlay is painted: until then the top rows, above the banner, show light
// windows (Wine's notification area).
int bannerTextHeight() {
    const RECT screen = virtualScreenRect();
    const LONG quarter = (screen.right - screen.left) / 4;
    const RECT top{screen.left + quarter, screen.top, screen.right - quarter, screen.top + 300};
    const fx::ScreenGrab grab = fx::grabScreen(top);
    int first = -1, last = -1;
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            const COLORREF c = grab.at(x, y);
            if (GetRValue(c) >= 200 && GetGValue(c) >= 200 && GetBValue(c) >= 200) {
                if (first < 0) first = y;
                last = y;
                break;
            }
        }
    }
    return first < 8 ? 0 : last - first + 1;
}

TEST_F(SelectE2E, AtTwiceTheScaleTheBannerTextIsTwiceAsTall) {
    const auto measure = [&](e2e::Program& program) {
        PostMessageW(program.mainWindow(), WM_COMMAND, kCommandSelectArea, 0);
        waitUntil([&] { return !fx::windowsOfClass(kSelectClass, program.processId()).empty(); });
        int height = 0, before = -1;
        // Measured once two looks agree: the overlay has then been painted.
        waitUntil([&] {
            before = std::exchange(height, bannerTextHeight());
            return height > 0 && height == before;
        });
        for (HWND overlay : fx::windowsOfClass(kSelectClass, program.processId())) PostMessageW(overlay, WM_CLOSE, 0, 0);
        program.stop();
        return height;
    };
    start();
    const int atNormal = measure(program_);
    int atDouble = 0;
    {
        const Scale doubled(192);
        e2e::Program& scaled = launch();
        ASSERT_TRUE(scaled.waitUntilStarted());
        atDouble = measure(scaled);
    }
    ASSERT_GT(atNormal, 5);
    EXPECT_NEAR(static_cast<double>(atDouble) / atNormal, 2.0, 0.3) << atNormal << " rows, then " << atDouble;
}

TEST_F(SelectE2E, TheHotKeyAndARealDragBringTheFilterUpOverTheArea) {
    testenv::writeDword(kValueTipShown, 1);
    start();
    ASSERT_TRUE(waitUntil([] { return e2e::trayIconShown() == e2e::TrayIcon::Idle; }))
        << "no tray icon to give the keys a Wine window";
    ASSERT_TRUE(e2e::pressKeys("ctrl+alt+shift+a"));
    ASSERT_TRUE(waitUntil([&] { return !visible(kSelectClass).empty(); })) << "no overlay";

    ASSERT_TRUE(e2e::movePointer({700, 600}) && e2e::leftButton(true));
    ASSERT_TRUE(e2e::movePointer({500, 450}) && e2e::movePointer({300, 300}) && e2e::leftButton(false));
    EXPECT_TRUE(waitUntil([&] {
        const std::vector<HWND> mirrors = visible(kMirrorClass);
        return visible(kSelectClass).empty() && mirrors.size() == 1 &&
               fx::windowBox(mirrors[0]) == (fx::Box{300, 300, 700, 600});
    })) << "no mirror over the area dragged out";
}

}  // namespace
