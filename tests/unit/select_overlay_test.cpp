// The selection overlay in this process, driven by its own window messages:
// what the Select Area command does with each ending, the overlay over two
// monitors (the test display has a 1280x1024 one left of the primary), its
// pixels as read back from the screen, and the GDI objects it leaves.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/ids.h"
#include "filter/mirror_windows.h"
#include "select/overlay.h"
#include "support/census.h"
#include "support/filter_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

using fx::Box;

namespace {

const RECT kOldRegion{200, 150, 600, 450};

HWND overlayWindow() {
    const auto windows = fx::windowsOfClass(kSelectClass);
    return windows.empty() ? nullptr : windows.front();
}

// Screen point to the overlay's client coordinates.
LPARAM clientPoint(LONG screenX, LONG screenY) {
    const RECT screen = virtualScreenRect();
    return MAKELPARAM(screenX - screen.left, screenY - screen.top);
}

// A drag between two screen points, released there unless told otherwise.
void drag(HWND overlay, POINT from, POINT to, bool release = true) {
    SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(from.x, from.y));
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, clientPoint((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, clientPoint(to.x, to.y));
    if (release) SendMessageW(overlay, WM_LBUTTONUP, 0, clientPoint(to.x, to.y));
}

enum class Ending { Accept, Esc, RightButton, TooSmall, Close };

void end(HWND overlay, Ending ending) {
    switch (ending) {
    case Ending::Accept: return drag(overlay, {300, 300}, {700, 600});
    case Ending::Esc: SendMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0); return;
    case Ending::RightButton:
        SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(300, 300));
        SendMessageW(overlay, WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(500, 500));
        return;
    case Ending::TooSmall: return drag(overlay, {300, 300}, {323, 500});
    case Ending::Close: SendMessageW(overlay, WM_CLOSE, 0, 0); return;
    }
}

class SelectArea : public ::testing::Test {
protected:
    void SetUp() override {
        testenv::clearSettingsKey();
        fx::freshAppState(main_.get());
    }
    void TearDown() override {
        while (HWND overlay = overlayWindow()) DestroyWindow(overlay);
        fx::resetFilterState(appState);
    }
    size_t filterWindows() const {
        return fx::windowsOfClass(kMirrorClass).size() + fx::windowsOfClass(kCoverClass).size();
    }
    // Starts the command and checks what holds while the overlay is up.
    HWND startSelection() {
        SendMessageW(main_.get(), WM_COMMAND, kCommandSelectArea, 0);
        HWND overlay = overlayWindow();
        EXPECT_NE(overlay, nullptr);
        EXPECT_EQ(filterWindows(), 0u) << "filter windows would show in the screenshot";
        // Any key but Esc leaves the overlay up.
        EXPECT_EQ(SendMessageW(overlay, WM_KEYDOWN, 'A', 0), 0);
        EXPECT_TRUE(IsWindow(overlay));
        return overlay;
    }

    fx::HiddenMainWindow main_{mainWindowProc};
};

TEST_F(SelectArea, CancellingBringsBackWhatWasThere) {
    for (const Ending ending : {Ending::Esc, Ending::RightButton, Ending::TooSmall, Ending::Close}) {
        for (const bool wasOn : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "ending " << static_cast<int>(ending) << ", on before " << wasOn);
            setRegion(appState, kOldRegion);
            setFilterActive(appState, wasOn);
            end(startSelection(), ending);
            EXPECT_EQ(overlayWindow(), nullptr);
            EXPECT_EQ(appState.filterActive, wasOn);
            EXPECT_EQ(testenv::readDword(kValueEnabled), wasOn ? 1u : 0u);
            EXPECT_EQ(fx::box(appState.region), fx::box(kOldRegion));
            EXPECT_EQ(fx::sortedBoxes(fx::windowsOfClass(kMirrorClass)),
                      wasOn ? std::vector<Box>{fx::box(kOldRegion)} : std::vector<Box>{});
        }
    }
}

TEST_F(SelectArea, AcceptingSetsTheRegionAndTurnsOnInEveryModeKeepingTheMode) {
    fx::PatternWindow target(fx::rect(900, 300, 1100, 450), fx::solid(RGB(9, 9, 9)), fx::solid(RGB(9, 9, 9)));
    const FilterStyle styles[] = {FilterStyle::ScreenArea, FilterStyle::SolidCover, FilterStyle::OneWindow};
    for (const FilterStyle style : styles) {
        for (const bool wasOn : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "style " << static_cast<int>(style) << ", on before " << wasOn);
            setFilterActive(appState, false);
            setFilterStyle(appState, style);
            if (style == FilterStyle::OneWindow) setWindowTarget(appState, target.get(), L"pattern");
            setRegion(appState, kOldRegion);
            setFilterActive(appState, wasOn);
            ASSERT_EQ(appState.filterActive, wasOn);

            end(startSelection(), Ending::Accept);
            EXPECT_EQ(fx::box(appState.region), (Box{300, 300, 700, 600}));
            EXPECT_EQ(testenv::readDword(kValueRegionRight), 700u);
            EXPECT_TRUE(appState.filterActive);
            EXPECT_EQ(appState.style, style);
            EXPECT_EQ(testenv::readDword(kValueStyle), static_cast<DWORD>(style));
            const wchar_t* shown = style == FilterStyle::SolidCover ? kCoverClass : kMirrorClass;
            const Box over = style == FilterStyle::OneWindow ? target.bounds() : Box{300, 300, 700, 600};
            EXPECT_EQ(fx::sortedBoxes(fx::windowsOfClass(shown)), std::vector<Box>{over});
        }
    }
}

TEST_F(SelectArea, CoversBothMonitorsAndOffsetsTheAreaByTheNegativeOrigin) {
    if (!platform::hasTestMonitors()) GTEST_SKIP() << platform::kNeedsTestMonitors;
    HWND overlay = startSelection();
    EXPECT_EQ(fx::windowBox(overlay), (Box{-1280, 0, 1920, 1080}));
    EXPECT_EQ(GetWindowLongPtrW(overlay, GWL_EXSTYLE) & 0xFF, 0x88);
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(overlay, GWL_STYLE)) & ~WS_CLIPSIBLINGS, WS_POPUP | WS_VISIBLE);
    wchar_t title[64] = {};
    GetWindowTextW(overlay, title, 64);
    EXPECT_STREQ(title, kSelectTitle);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kSelectClass, &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.hCursor, LoadCursorW(nullptr, IDC_CROSS));
    EXPECT_EQ(windowClass.hbrBackground, nullptr);

    // Client (100, 100) to (300, 250).
    SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(overlay, WM_LBUTTONUP, 0, MAKELPARAM(300, 250));
    EXPECT_EQ(fx::box(appState.region), (Box{-1180, 100, -980, 250}));
    EXPECT_EQ(static_cast<LONG>(*testenv::readDword(kValueRegionLeft)), -1180);
    EXPECT_EQ(fx::sortedBoxes(fx::windowsOfClass(kMirrorClass)), std::vector<Box>{(Box{-1180, 100, -980, 250})});
}

// ---- pixels --------------------------------------------------------------

const COLORREF kContent = RGB(200, 100, 50);

bool dimmed(COLORREF seen, COLORREF original) {
    auto close = [](int channel, int from) { return std::abs(channel - (from * 158 + 127) / 255) <= 1; };
    return close(GetRValue(seen), GetRValue(original)) && close(GetGValue(seen), GetGValue(original)) &&
           close(GetBValue(seen), GetBValue(original));
}

// Screen x of the pixels of one colour in a stretch of a row.
std::vector<LONG> columnsOf(COLORREF colour, LONG y, LONG fromX, LONG toX) {
    const fx::ScreenGrab row = fx::grabScreen(RECT{fromX, y, toX, y + 1});
    std::vector<LONG> found;
    for (LONG x = fromX; x < toX; ++x) {
        if (row.at(x - fromX, 0) == colour) found.push_back(x);
    }
    return found;
}

bool anyPixelOf(COLORREF colour, const RECT& area) {
    const fx::ScreenGrab grab = fx::grabScreen(area);
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            if (grab.at(x, y) == colour) return true;
        }
    }
    return false;
}

TEST(SelectPaint, TheScreenShowsDimmedAndTheSelectionBrightWithOutlineLabelAndBanner) {
    if (!platform::hasTestMonitors()) GTEST_SKIP() << platform::kNeedsTestMonitors;
    fx::PatternWindow content(fx::rect(200, 100, 800, 700), fx::solid(kContent), fx::solid(kContent));
    ASSERT_TRUE(waitUntil([&] { return fx::showsOnScreen(content, fx::solid(kContent)); }, 3000));
    int endings = 0;
    openSelectionOverlay(GetModuleHandleW(nullptr), [&](bool accepted, RECT) { endings += accepted ? 100 : 1; });
    HWND overlay = overlayWindow();
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(waitUntil([] { return dimmed(fx::screenPixel(500, 500), kContent); }, 3000))
        << "the screenshot is not shown dimmed";

    // A drag from (400, 400) to (600, 650): undimmed inside, 2-pixel outline, label 8 pixels in.
    drag(overlay, {400, 400}, {600, 650}, false);
    ASSERT_TRUE(waitUntil([] { return fx::screenPixel(500, 500) == kContent; }, 3000));
    EXPECT_TRUE(dimmed(fx::screenPixel(300, 500), kContent));
    EXPECT_TRUE(dimmed(fx::screenPixel(500, 680), kContent));
    // Two adjacent columns on each edge (Wine puts them at 399-400 and 598-599).
    for (const LONG edge : {400, 599}) {
        const std::vector<LONG> outline = columnsOf(kSelectAccent, 550, edge - 3, edge + 3);
        ASSERT_EQ(outline.size(), 2u) << "at " << edge;
        EXPECT_EQ(outline[1], outline[0] + 1);
        EXPECT_LE(std::abs(outline[0] - edge), 1);
    }
    EXPECT_EQ(fx::screenPixel(408, 408), kSelectAccent);
    EXPECT_EQ(fx::screenPixel(407, 412), kContent);
    EXPECT_EQ(fx::screenPixel(412, 407), kContent);
    EXPECT_TRUE(anyPixelOf(kLabelText, RECT{408, 408, 480, 440})) << "no label text";

    // One pixel wide: the dimmed screen and the banner only.
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, clientPoint(401, 650));
    ASSERT_TRUE(waitUntil([] { return dimmed(fx::screenPixel(500, 500), kContent); }, 3000));
    EXPECT_FALSE(anyPixelOf(kSelectAccent, RECT{390, 390, 480, 660}));
    EXPECT_TRUE(dimmed(fx::screenPixel(400, 500), kContent));
    // Two by two: drawn, with the label reaching beyond it.
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, clientPoint(402, 402));
    ASSERT_TRUE(waitUntil([] { return fx::screenPixel(408, 408) == kSelectAccent; }, 3000));

    // A selection over the banner's place leaves the banner on top, centred
    // on the whole overlay: screen x 320 is the middle of (-1280 .. 1920).
    drag(overlay, {-1200, 20}, {1800, 300}, false);
    ASSERT_TRUE(waitUntil([] { return fx::screenPixel(320, 150) == kContent; }, 3000));
    const std::vector<LONG> banner = columnsOf(kBannerFill, 58, -1280, 1920);
    ASSERT_FALSE(banner.empty());
    EXPECT_EQ(banner.front() + banner.back(), 639) << banner.front() << " to " << banner.back();
    EXPECT_EQ(banner.back() - banner.front() + 1, static_cast<LONG>(banner.size())) << "the banner has a gap";
    EXPECT_TRUE(anyPixelOf(kBannerText, RECT{banner.front(), 56, banner.back(), 100})) << "no banner text";

    SendMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindow(overlay));
    EXPECT_EQ(endings, 1);
}

TEST_F(SelectArea, MovesLeaveThePixelsOfAFullRepaint) {
    if (!platform::hasTestMonitors()) GTEST_SKIP() << platform::kNeedsTestMonitors;
    fx::PatternWindow content(fx::rect(-1200, 40, 1600, 1000), fx::solid(kContent), fx::solid(kContent));
    ASSERT_TRUE(waitUntil([&] { return fx::showsOnScreen(content, fx::solid(kContent)); }, 3000));
    HWND overlay = startSelection();
    const auto pixels = [&] { UpdateWindow(overlay); return fx::grabScreen({0, 0, 3200, 1080}, overlay).pixels; };
    SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1400, 400));  // client x 1280 is screen x 0
    const POINT moves[] = {
        {1700, 650},  // growing
        {1696, 647},  // shrinking by a few pixels
        {1300, 300},  // across the start point
        {200, 850},   // onto the left monitor
        {2500, 20},   // over the banner
        {2399, 20},   // the label loses a digit: 1100 to 999 wide
    };
    for (const POINT& to : moves) {
        SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        const std::vector<std::uint32_t> moved = pixels();
        InvalidateRect(overlay, nullptr, FALSE);
        EXPECT_TRUE(moved == pixels()) << "after the move to " << to.x << ", " << to.y;
    }
}

// ---- GDI objects ---------------------------------------------------------

TEST_F(SelectArea, SelectionsOfEveryEndingLeaveNoGdiObjectsBehind) {
    setRegion(appState, kOldRegion);
    // One selection first, so that what the system keeps for good (the
    // class, cached fonts, the window's surface) is in place before counting.
    HWND overlay = startSelection();
    UpdateWindow(overlay);
    end(overlay, Ending::Esc);
    const DWORD before = liveGdiObjects().value;
    const Ending endings[] = {Ending::Accept, Ending::Esc, Ending::RightButton, Ending::TooSmall, Ending::Close};
    std::vector<HGDIOBJ> made;
    for (const Ending ending : endings) {
        overlay = startSelection();
        auto* record = reinterpret_cast<SelectionOverlay*>(GetWindowLongPtrW(overlay, GWLP_USERDATA));
        ASSERT_NE(record, nullptr);
        made.insert(made.end(), {record->bright.dc(), record->dimmed.dc(), record->bright.bitmap(), record->dimmed.bitmap()});
        drag(overlay, {300, 300}, {500, 500}, false);
        UpdateWindow(overlay);  // one paint with selection, outline, label and banner
        end(overlay, ending);
        waitUntil([] { return overlayWindow() == nullptr; });
    }
    setFilterActive(appState, false);
    for (HGDIOBJ object : made) EXPECT_EQ(GetObjectType(object), 0u) << "an overlay's DC or bitmap survives";
    EXPECT_EQ(liveGdiObjects().value, before);
}

}  // namespace
