// Mirror and cover windows as the controller makes them: attributes other
// programs see, where they are placed on the two test monitors (primary
// (0,0)-(1920,1080), second (-1280,0)-(0,1024)), how the cover paints, and
// that a mirror keeps refreshing although Wine refuses capture exclusion.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/log.h"
#include "support/filter_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

using fx::Box;

namespace {

const std::string kAffinityLine = testenv::narrow(logtext::affinityFailed);

class MirrorWindows : public fx::FilterFixture {
protected:
    void turnOn(FilterStyle style, const RECT& region) {
        setFilterStyle(state_, style);
        setRegion(state_, region);
        setFilterActive(state_, true);
        ASSERT_TRUE(state_.filterActive);
    }

    std::vector<Box> mirrorBoxes() const { return fx::sortedBoxes(fx::windowsOfClass(kMirrorClass)); }
};

std::wstring textOf(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// What every filter window shares, mirror or cover.
void expectClickThroughTopMostPopup(HWND window) {
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), 0x080800A8u);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && alpha == 255 && flags == LWA_ALPHA);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    // The window manager adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), GetModuleHandleW(nullptr));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_NE(GetForegroundWindow(), window);
}

TEST_F(MirrorWindows, AreaMirrorIsAClickThroughTopMostPopup) {
    turnOn(FilterStyle::ScreenArea, fx::rect(100, 150, 420, 390));
    const auto mirrors = fx::windowsOfClass(kMirrorClass);
    ASSERT_EQ(mirrors.size(), 1u);
    const HWND mirror = mirrors[0];
    EXPECT_EQ(state_.mirrorWindows, mirrors);
    EXPECT_EQ(classOf(mirror), kMirrorClass);
    EXPECT_EQ(textOf(mirror), L"Clearpane mirror");
    expectClickThroughTopMostPopup(mirror);
    EXPECT_EQ(fx::windowBox(mirror), (Box{100, 150, 420, 390}));

    const MirrorContext* context = fx::contextOf(mirror);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->window, mirror);
    EXPECT_FALSE(context->followsWindow);
    EXPECT_EQ(fx::box(context->source), (Box{100, 150, 420, 390}));
    EXPECT_TRUE(context->outline);
    // The first frame was captured when the mirror was made.
    EXPECT_EQ(context->buffer.width(), 320);
    EXPECT_EQ(context->buffer.height(), 240);

    // The outline choice travels into the context.
    setOutline(state_, false);
    ASSERT_EQ(state_.mirrorWindows.size(), 1u);
    EXPECT_FALSE(fx::contextOf(state_.mirrorWindows[0])->outline);
}

TEST_F(MirrorWindows, CoverFillsAndFramesOnlyWithOutline) {
    const COLORREF fill = RGB(16, 17, 20);
    const COLORREF frame = RGB(52, 56, 63);
    turnOn(FilterStyle::SolidCover, fx::rect(300, 200, 500, 350));
    EXPECT_TRUE(fx::windowsOfClass(kMirrorClass).empty());
    const auto covers = fx::windowsOfClass(kCoverClass);
    ASSERT_EQ(covers.size(), 1u);
    EXPECT_EQ(state_.coverWindow, covers[0]);
    EXPECT_EQ(classOf(covers[0]), kCoverClass);
    EXPECT_EQ(textOf(covers[0]), L"Clearpane cover");
    expectClickThroughTopMostPopup(covers[0]);
    EXPECT_EQ(fx::windowBox(covers[0]), (Box{300, 200, 500, 350}));

    struct Probe {
        int x, y;
        bool edge;
    };
    const Probe probes[] = {{400, 275, false}, {301, 201, false}, {498, 348, false}, {300, 275, true},
                            {499, 275, true},  {400, 200, true},  {400, 349, true},  {300, 200, true},
                            {499, 349, true}};
    for (const bool outline : {true, false}) {
        SCOPED_TRACE(outline ? "outline on" : "outline off");
        setOutline(state_, outline);
        ASSERT_NE(state_.coverWindow, nullptr);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(state_.coverWindow, L"outline")), outline ? 1 : 0);
        EXPECT_TRUE(waitUntil([&] { return fx::screenPixel(400, 275) == fill; }, 3000));
        const fx::ScreenGrab grab = fx::grabScreen(fx::rect(300, 200, 500, 350));
        for (const Probe& p : probes) {
            SCOPED_TRACE(::testing::Message() << "at " << p.x << "," << p.y);
            EXPECT_EQ(fx::rgb(grab.at(p.x - 300, p.y - 200)), fx::rgb(p.edge && outline ? frame : fill));
        }
    }
}

TEST_F(MirrorWindows, OneMirrorPerMonitorPartOfAtLeast16Pixels) {
    struct Case {
        const char* what;
        RECT region;
        std::vector<Box> mirrors;
    };
    const Case cases[] = {
        {"across both monitors", {-300, 100, 400, 500}, {{-300, 100, 0, 500}, {0, 100, 400, 500}}},
        {"15 px on the second monitor", {-15, 100, 400, 500}, {{0, 100, 400, 500}}},
        {"16 px on the second monitor", {-16, 100, 400, 500}, {{-16, 100, 0, 500}, {0, 100, 400, 500}}},
        {"15 px on the primary", {-400, 100, 15, 500}, {{-400, 100, 0, 500}}},
        // The second monitor ends at y 1024: 15 px high there, 71 on the primary.
        {"15 px high on the second monitor", {-200, 1009, 200, 1080}, {{0, 1009, 200, 1080}}},
        {"16 px high on the second monitor", {-200, 1008, 200, 1080}, {{-200, 1008, 0, 1024}, {0, 1008, 200, 1080}}},
        {"whole virtual screen", {-1280, 0, 1920, 1080}, {{-1280, 0, 0, 1024}, {0, 0, 1920, 1080}}},
    };
    setFilterStyle(state_, FilterStyle::ScreenArea);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        setRegion(state_, test.region);
        setFilterActive(state_, true);
        EXPECT_EQ(mirrorBoxes(), test.mirrors);
        EXPECT_EQ(state_.mirrorWindows.size(), test.mirrors.size());
        for (HWND mirror : state_.mirrorWindows) {
            EXPECT_EQ(fx::box(fx::contextOf(mirror)->source), fx::windowBox(mirror));
        }
        setFilterActive(state_, false);
        EXPECT_TRUE(mirrorBoxes().empty());
    }
}

TEST_F(MirrorWindows, CoverGoesOnTheMonitorNearestTheRegionCentre) {
    struct Case {
        const char* what;
        RECT region;
        Box cover;
    };
    const Case cases[] = {
        {"centre on the primary", {-300, 100, 400, 500}, {0, 100, 400, 500}},
        {"centre on the second", {-400, 100, 300, 500}, {-400, 100, 0, 500}},
        {"centre below the second, on no monitor", {-600, 1000, -400, 1080}, {-600, 1000, -400, 1024}},
    };
    setFilterStyle(state_, FilterStyle::SolidCover);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        setRegion(state_, test.region);
        setFilterActive(state_, true);
        const auto covers = fx::windowsOfClass(kCoverClass);
        ASSERT_EQ(covers.size(), 1u);
        EXPECT_EQ(fx::windowBox(covers[0]), test.cover);
        EXPECT_TRUE(fx::windowsOfClass(kMirrorClass).empty());
        setFilterActive(state_, false);
        EXPECT_TRUE(fx::windowsOfClass(kCoverClass).empty());
        EXPECT_EQ(state_.coverWindow, nullptr);
    }
}

TEST_F(MirrorWindows, OneWindowMirrorCoversItsTargetWholeAcrossMonitors) {
    const fx::PatternWindow::Quads colours{RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12)};
    fx::PatternWindow target(fx::rect(-150, 300, 250, 500), colours, colours);
    setFilterStyle(state_, FilterStyle::OneWindow);
    setWindowTarget(state_, target.get(), L"pattern");
    setFilterActive(state_, true);
    const auto mirrors = fx::windowsOfClass(kMirrorClass);
    ASSERT_EQ(mirrors.size(), 1u);
    EXPECT_EQ(fx::windowBox(mirrors[0]), (Box{-150, 300, 250, 500}));
    expectClickThroughTopMostPopup(mirrors[0]);
    const MirrorContext* context = fx::contextOf(mirrors[0]);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(context->followsWindow);
    EXPECT_EQ(context->targetWindow, target.get());
    EXPECT_EQ(testenv::countLogMessage(testenv::narrow(logtext::windowMirrorShown)), 1u);
}

TEST_F(MirrorWindows, FailedCaptureExclusionIsLoggedPerMirrorAndTheMirrorStillRefreshes) {
    turnOn(FilterStyle::ScreenArea, fx::rect(-300, 400, 500, 700));
    ASSERT_EQ(state_.mirrorWindows.size(), 2u);
    EXPECT_EQ(testenv::countLogMessage(kAffinityLine), platform::underWine() ? 2u : 0u);

    // A window over the primary's mirror: only the mirror's own timer can
    // bring its colour into the mirror's buffer.
    const HWND mirror = fx::windowBox(state_.mirrorWindows[0]).left == 0 ? state_.mirrorWindows[0]
                                                                          : state_.mirrorWindows[1];
    const COLORREF marker = RGB(213, 37, 171);
    {
        fx::PatternWindow above(fx::rect(100, 450, 200, 550), fx::solid(marker), fx::solid(marker));
        const MirrorContext* context = fx::contextOf(mirror);
        ASSERT_NE(context, nullptr);
        EXPECT_TRUE(waitUntil([&] { return fx::bufferPixel(*context, 150, 100) == marker; }, 5000))
            << "the mirror's buffer never saw the window above it";
    }
    // With that window gone the mirror shows the frame it captured last.
    EXPECT_TRUE(waitUntil([&] { return fx::screenPixel(150, 500) == marker; }, 5000))
        << "the mirror did not present its new frame";
}

}  // namespace

namespace {

TEST_F(MirrorWindows, MirrorClosedFromOutsideFreesItsBufferAndTheNextStopIsClean) {
    turnOn(FilterStyle::ScreenArea, fx::rect(200, 150, 600, 450));
    const HWND mirror = state_.mirrorWindows.at(0);
    const MirrorContext* context = fx::contextOf(mirror);
    ASSERT_NE(context, nullptr);
    const HDC dc = context->buffer.dc();
    const HBITMAP bitmap = context->buffer.bitmap();
    SendMessageW(mirror, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mirror));
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);
    stopFilter(state_);
    EXPECT_TRUE(state_.mirrorWindows.empty());
}

}  // namespace
