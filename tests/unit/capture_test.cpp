// Frame capture and presentation: the back buffer's life, area and
// one-window captures against helper windows of this process that paint
// known colours, the usability test, and drawing a buffer into a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/log.h"
#include "filter/capture.h"
#include "support/filter_fixtures.h"
#include "support/platform.h"
#include "support/test_env.h"
#include "support/wait.h"

using fx::Box;
using fx::PatternWindow;

namespace {

const PatternWindow::Quads kScreenQuads{RGB(200, 30, 40), RGB(30, 180, 60), RGB(40, 60, 220), RGB(230, 210, 20)};
const PatternWindow::Quads kPrintQuads{RGB(10, 120, 130), RGB(140, 20, 150), RGB(250, 140, 10), RGB(90, 90, 250)};
const std::string kFallbackLine = testenv::narrow(logtext::printWindowFallback);

bool shown(const PatternWindow& window) {
    return waitUntil([&] { return fx::showsOnScreen(window, kScreenQuads); }, 3000);
}

// ---- area capture --------------------------------------------------------

TEST(CaptureArea, CopiesTheScreenRectangleIntoTheBuffer) {
    if (!platform::hasTestMonitors()) GTEST_SKIP() << platform::kNeedsTestMonitors;
    // One helper on each monitor: the second one lies at negative x.
    for (const RECT place : {fx::rect(200, 200, 400, 360), fx::rect(-1000, 120, -800, 280)}) {
        SCOPED_TRACE(::testing::PrintToString(fx::box(place)));
        PatternWindow helper(place, kScreenQuads, kPrintQuads);
        ASSERT_TRUE(shown(helper));

        MirrorContext owned;
        owned.source = place;
        ASSERT_TRUE(captureFrame(owned));
        const MirrorContext& c = owned;
        ASSERT_EQ(c.buffer.width(), 200);
        ASSERT_EQ(c.buffer.height(), 160);
        ASSERT_NE(c.buffer.pixels(), nullptr);
        EXPECT_EQ(fx::bufferPixel(c, 0, 0), kScreenQuads[0]);
        EXPECT_EQ(fx::bufferPixel(c, 50, 40), kScreenQuads[0]);
        EXPECT_EQ(fx::bufferPixel(c, 99, 79), kScreenQuads[0]);
        EXPECT_EQ(fx::bufferPixel(c, 100, 40), kScreenQuads[1]);
        EXPECT_EQ(fx::bufferPixel(c, 199, 0), kScreenQuads[1]);
        EXPECT_EQ(fx::bufferPixel(c, 50, 80), kScreenQuads[2]);
        EXPECT_EQ(fx::bufferPixel(c, 199, 159), kScreenQuads[3]);

        // A source that starts at the helper's middle: its top-left pixel is
        // the bottom-right quadrant, so left and top are honoured.
        owned.source = RECT{place.left + 100, place.top + 80, place.left + 180, place.top + 140};
        ASSERT_TRUE(captureFrame(owned));
        EXPECT_EQ(c.buffer.width(), 80);
        EXPECT_EQ(c.buffer.height(), 60);
        EXPECT_EQ(fx::bufferPixel(c, 0, 0), kScreenQuads[3]);
        EXPECT_EQ(fx::bufferPixel(c, 79, 59), kScreenQuads[3]);
    }
}

TEST(CaptureArea, SourcesBelowEightPixelsAreNotCaptured) {
    struct Case {
        RECT source;
        bool captured;
    };
    const Case cases[] = {
        {{300, 300, 307, 400}, false},  // 7 wide
        {{300, 300, 400, 307}, false},  // 7 high
        {{300, 300, 300, 400}, false},  // empty
        {{300, 300, 290, 400}, false},  // inverted
        {{300, 300, 308, 308}, true},   // 8 x 8
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(fx::box(test.source)));
        MirrorContext owned;
        owned.source = test.source;
        EXPECT_EQ(captureFrame(owned), test.captured);
        EXPECT_EQ(owned.buffer.dc() != nullptr, test.captured);
        EXPECT_EQ(owned.buffer.width(), test.captured ? 8 : 0);
        EXPECT_EQ(owned.buffer.height(), test.captured ? 8 : 0);
    }
}

// ---- back buffer ---------------------------------------------------------

TEST(CaptureBuffer, ReusedWhileTheSizeStaysAndRecreatedWhenItChanges) {
    MirrorContext c;
    c.source = fx::rect(100, 100, 164, 163);
    ASSERT_TRUE(captureFrame(c));
    const HDC dc = c.buffer.dc();
    const HBITMAP bitmap = c.buffer.bitmap();
    const std::uint32_t* bits = c.buffer.pixels();
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 64);
    EXPECT_EQ(info.bmHeight, 63);
    EXPECT_EQ(info.bmBitsPixel, 32);

    // Same size elsewhere on the screen: the very same buffer.
    c.source = fx::rect(-500, 300, -436, 363);
    ASSERT_TRUE(captureFrame(c));
    EXPECT_EQ(c.buffer.dc(), dc);
    EXPECT_EQ(c.buffer.bitmap(), bitmap);
    EXPECT_EQ(c.buffer.pixels(), bits);
    ensureBackBuffer(c, 64, 63);
    EXPECT_EQ(c.buffer.bitmap(), bitmap);

    // Nonsense sizes change nothing.
    ensureBackBuffer(c, 0, 10);
    ensureBackBuffer(c, 10, -1);
    EXPECT_EQ(c.buffer.bitmap(), bitmap);
    EXPECT_EQ(c.buffer.width(), 64);

    // A new size: a new buffer of that size, and the old objects are gone.
    c.source = fx::rect(100, 100, 200, 150);
    ASSERT_TRUE(captureFrame(c));
    EXPECT_EQ(c.buffer.width(), 100);
    EXPECT_EQ(c.buffer.height(), 50);
    ASSERT_EQ(GetObjectW(c.buffer.bitmap(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmHeight, 50);
    // Handle values may be recycled; a different one must be freed.
    EXPECT_TRUE(c.buffer.bitmap() == bitmap || GetObjectType(bitmap) == 0) << "the old DIB section survives";
    EXPECT_TRUE(c.buffer.dc() == dc || GetObjectType(dc) == 0) << "the old DC survives";
}

TEST(CaptureBuffer, ReleaseFreesTheDcAndTheBitmap) {
    MirrorContext c;
    ensureBackBuffer(c, 120, 90);
    const HDC dc = c.buffer.dc();
    const HBITMAP bitmap = c.buffer.bitmap();
    ASSERT_NE(dc, nullptr);
    ASSERT_NE(bitmap, nullptr);

    c.buffer.release();
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "the DIB section outlived its release (still selected?)";
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(c.buffer.dc(), nullptr);
    EXPECT_EQ(c.buffer.bitmap(), nullptr);
    EXPECT_EQ(c.buffer.pixels(), nullptr);
    EXPECT_EQ(c.buffer.width(), 0);
    EXPECT_EQ(c.buffer.height(), 0);

    c.buffer.release();  // nothing left to free: harmless
    EXPECT_EQ(c.buffer.dc(), nullptr);
}

// ---- one-window capture --------------------------------------------------

TEST(CaptureWindow, OwnWindowGivesItsOwnDrawing) {
    testenv::deleteLog();
    PatternWindow target(fx::rect(600, 200, 760, 320), kScreenQuads, kPrintQuads);
    ASSERT_TRUE(shown(target));

    MirrorContext c;
    c.followsWindow = true;
    c.targetWindow = target.get();
    c.source = fx::rect(600, 200, 760, 320);
    ASSERT_TRUE(captureFrame(c));
    EXPECT_GT(target.printCount(), 0);
    ASSERT_EQ(c.buffer.width(), 160);
    ASSERT_EQ(c.buffer.height(), 120);
    // What the window printed, not what the screen shows.
    EXPECT_EQ(fx::bufferPixel(c, 10, 10), kPrintQuads[0]);
    EXPECT_EQ(fx::bufferPixel(c, 150, 10), kPrintQuads[1]);
    EXPECT_EQ(fx::bufferPixel(c, 10, 110), kPrintQuads[2]);
    EXPECT_EQ(fx::bufferPixel(c, 150, 110), kPrintQuads[3]);
    EXPECT_FALSE(c.fallbackLogged);
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 0u);
}

TEST(CaptureWindow, BlackTargetFallsBackToScreenPixelsAndLogsOncePerChange) {
    testenv::deleteLog();
    PatternWindow target(fx::rect(600, 400, 760, 520), kScreenQuads, kPrintQuads, /*printRenders=*/false);
    ASSERT_TRUE(shown(target));

    MirrorContext c;
    c.followsWindow = true;
    c.targetWindow = target.get();
    c.source = fx::rect(600, 400, 760, 520);

    ASSERT_TRUE(captureFrame(c));
    // The screen's pixels at the target's place.
    EXPECT_EQ(fx::bufferPixel(c, 10, 10), kScreenQuads[0]);
    EXPECT_EQ(fx::bufferPixel(c, 150, 110), kScreenQuads[3]);
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 1u);
    ASSERT_TRUE(captureFrame(c));
    ASSERT_TRUE(captureFrame(c));
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 1u) << "logged on every frame";

    target.setPrintRenders(true);
    ASSERT_TRUE(captureFrame(c));
    EXPECT_EQ(fx::bufferPixel(c, 10, 10), kPrintQuads[0]);
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 1u);

    target.setPrintRenders(false);
    ASSERT_TRUE(captureFrame(c));
    EXPECT_EQ(fx::bufferPixel(c, 10, 10), kScreenQuads[0]);
    EXPECT_EQ(testenv::countLogMessage(kFallbackLine), 2u);
}

TEST(CaptureWindow, NoCaptureOfMissingMinimisedGoneOrTinyTargets) {
    MirrorContext c;
    c.followsWindow = true;
    c.source = fx::rect(600, 200, 760, 320);
    EXPECT_FALSE(captureFrame(c)) << "no target";

    {
        PatternWindow tiny(fx::rect(600, 200, 607, 320), kScreenQuads, kPrintQuads);
        c.targetWindow = tiny.get();
        EXPECT_FALSE(captureFrame(c)) << "7 pixels wide";
    }

    PatternWindow target(fx::rect(600, 200, 760, 320), kScreenQuads, kPrintQuads);
    c.targetWindow = target.get();
    ASSERT_TRUE(captureFrame(c));
    const HBITMAP bitmap = c.buffer.bitmap();

    ShowWindow(target.get(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(target.get()));
    EXPECT_FALSE(captureFrame(c)) << "minimised";
    EXPECT_EQ(c.buffer.bitmap(), bitmap) << "the last frame is kept";

    ShowWindow(target.get(), SW_RESTORE);
    EXPECT_TRUE(captureFrame(c)) << "restored";

    target.destroy();
    EXPECT_FALSE(captureFrame(c)) << "destroyed";
}

// ---- usability test ------------------------------------------------------

TEST(CaptureUsability, AboutFourThousandPixelsAreSampledWhateverTheFrameSize) {
    EXPECT_EQ(usabilitySampleStep(1920ull * 1080), 506u);
    EXPECT_EQ(usabilitySampleStep(64ull * 63), 1u);
    EXPECT_EQ(usabilitySampleStep(4095), 1u);
    EXPECT_EQ(usabilitySampleStep(4096), 1u);
    EXPECT_EQ(usabilitySampleStep(8191), 1u);
    EXPECT_EQ(usabilitySampleStep(8192), 2u);
    EXPECT_EQ(usabilitySampleStep(3840ull * 2160), 2025u);
    // Beyond 32 bits the step keeps its 64-bit value.
    EXPECT_EQ(usabilitySampleStep(70000ull * 70000), 70000ull * 70000 / 4096);
}

TEST(CaptureUsability, OnlySampledPixelsCountAndTheFourthByteIsIgnored) {
    std::vector<std::uint32_t> big(1920u * 1080u, 0);
    EXPECT_FALSE(frameLooksUsable(big.data(), 1920, 1080));
    big[1] = 0x00FFFFFF;  // between samples 0 and 506
    big[505] = 0x00FFFFFF;
    EXPECT_FALSE(frameLooksUsable(big.data(), 1920, 1080));
    for (auto& p : big) p = 0xFF000000;  // only the ignored byte set
    EXPECT_FALSE(frameLooksUsable(big.data(), 1920, 1080));
    big[506] = 0xFF000001;  // one blue step on a sampled pixel
    EXPECT_TRUE(frameLooksUsable(big.data(), 1920, 1080));
    big[506] = 0;
    big[506u * 4097u] = 0x00010000;  // the last sample, red
    EXPECT_TRUE(frameLooksUsable(big.data(), 1920, 1080));

    std::vector<std::uint32_t> small(64u * 63u, 0);
    EXPECT_FALSE(frameLooksUsable(small.data(), 64, 63));
    small.back() = 0x00000100;  // every pixel is sampled: the last one counts
    EXPECT_TRUE(frameLooksUsable(small.data(), 64, 63));

    // No pixels to judge: usable.
    EXPECT_TRUE(frameLooksUsable(nullptr, 64, 63));
    EXPECT_TRUE(frameLooksUsable(small.data(), 0, 63));
}

// ---- presentation --------------------------------------------------------

// A plain top-most popup that draws nothing itself, to present into.
class BlankWindow {
public:
    explicit BlankWindow(const RECT& r)
        : window_(ox::makeTestWindow(
              L"ClearpaneTestBlank",
              [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                  if (m == WM_ERASEBKGND) return 1;
                  if (m == WM_PAINT && ValidateRect(w, nullptr)) return 0;
                  return DefWindowProcW(w, m, wp, lp);
              },
              WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, r)) {}
    ~BlankWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The outline's pen and its hollow brush must not stay selected afterwards.
void present(const MirrorContext& c) {
    HDC dc = GetDC(c.window);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);
    presentFrame(c, dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    ReleaseDC(c.window, dc);
}

// A colour no two nearby pixels share, so that an offset of one shows.
COLORREF gradient(int x, int y) { return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, (x + 3 * y) & 0xFF); }

TEST(CapturePresent, DrawsTheBufferOneToOneWithAnOptionalOutline) {
    const RECT place = fx::rect(900, 300, 1020, 390);  // 120 x 90
    BlankWindow window(place);
    MirrorContext c;
    c.window = window.get();
    ensureBackBuffer(c, 120, 90);
    ASSERT_NE(c.buffer.pixels(), nullptr);
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) c.buffer.pixels()[y * 120 + x] = fx::pixelOf(gradient(x, y));
    }

    const COLORREF frame = RGB(64, 68, 76);
    for (const bool outline : {true, false}) {
        SCOPED_TRACE(outline ? "outline on" : "outline off");
        c.outline = outline;
        present(c);
        fx::ScreenGrab grab;
        const bool settled = waitUntil(
            [&] {
                grab = fx::grabScreen(place);
                return grab.at(60, 45) == gradient(60, 45);
            },
            3000);
        ASSERT_TRUE(settled);
        int wrongInside = 0, wrongEdge = 0;
        for (int y = 0; y < 90; ++y) {
            for (int x = 0; x < 120; ++x) {
                const bool edge = x == 0 || y == 0 || x == 119 || y == 89;
                const COLORREF expected = edge && outline ? frame : gradient(x, y);
                if (grab.at(x, y) != expected) ++(edge ? wrongEdge : wrongInside);
            }
        }
        EXPECT_EQ(wrongInside, 0);
        EXPECT_EQ(wrongEdge, 0);
    }
}

TEST(CapturePresent, StretchesTheBufferToTheClientAreaAndSkipsWithoutBuffer) {
    const RECT place = fx::rect(1100, 300, 1200, 380);  // 100 x 80
    BlankWindow window(place);
    MirrorContext c;
    c.window = window.get();
    c.outline = false;

    // No buffer yet: nothing is drawn, the window keeps what it had.
    HDC dc = GetDC(window.get());
    const RECT all{0, 0, 100, 80};
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    FillRect(dc, &all, green);
    DeleteObject(green);
    ReleaseDC(window.get(), dc);
    present(c);
    ASSERT_TRUE(waitUntil([&] { return fx::screenPixel(1150, 340) == RGB(0, 200, 0); }, 3000));

    // A 50 x 40 buffer of one colour fills the whole 100 x 80 client.
    ensureBackBuffer(c, 50, 40);
    for (int i = 0; i < 50 * 40; ++i) c.buffer.pixels()[i] = fx::pixelOf(RGB(180, 40, 90));
    present(c);
    ASSERT_TRUE(waitUntil([&] { return fx::screenPixel(1150, 340) == RGB(180, 40, 90); }, 3000));
    const fx::ScreenGrab grab = fx::grabScreen(place);
    int wrong = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) wrong += grab.at(x, y) != RGB(180, 40, 90);
    }
    EXPECT_EQ(wrong, 0);
}

// ---- the one-window mirror follows its target ----------------------------

using CaptureFollow = fx::FilterFixture;

TEST_F(CaptureFollow, MirrorTakesEveryNewRectangleOfItsTarget) {
    PatternWindow target(fx::rect(300, 500, 500, 650), kScreenQuads, kPrintQuads);
    setFilterStyle(state_, FilterStyle::OneWindow);
    setWindowTarget(state_, target.get(), L"pattern");
    setFilterActive(state_, true);
    ASSERT_EQ(state_.mirrorWindows.size(), 1u);
    const HWND mirror = state_.mirrorWindows[0];
    EXPECT_EQ(fx::windowBox(mirror), (Box{300, 500, 500, 650}));

    struct Step {
        const char* what;
        RECT to;
    };
    const Step steps[] = {
        {"grown at the right and bottom", {300, 500, 560, 700}},
        {"shrunk at the right only", {300, 500, 420, 700}},
        {"moved", {340, 520, 460, 720}},
        {"moved and resized", {-200, 100, 100, 300}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SetWindowPos(target.get(), nullptr, step.to.left, step.to.top, step.to.right - step.to.left,
                     step.to.bottom - step.to.top, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(target.bounds(), fx::box(step.to));
        SendMessageW(mirror, WM_TIMER, kMirrorTimerId, 0);
        EXPECT_EQ(fx::windowBox(mirror), fx::box(step.to));
        const MirrorContext* c = fx::contextOf(mirror);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(fx::box(c->source), fx::box(step.to));
        EXPECT_EQ(c->buffer.width(), step.to.right - step.to.left);
        EXPECT_EQ(c->buffer.height(), step.to.bottom - step.to.top);
    }
}

}  // namespace
