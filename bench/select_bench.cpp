// Cost of the region selection overlay beside the bare platform calls it is
// made of, in the same run on the same sizes:
// - opening: screenshot and dimmed copy (takeSelectionScreenshot) against
//   one screen BitBlt plus one AlphaBlend of that size into bitmaps made
//   beforehand, and into two new ones (the first touch of fresh memory is
//   dear on some machines); the whole openSelectionOverlay (window made and
//   shown as well) is printed beside;
// - one paint during a drag against one full-size BitBlt into the window,
//   both through GetDC and through the window's own WM_PAINT;
// - a drag at pointer rate: whether every move reaches the screen within a
//   paint, and how a burst of moves is drawn (paints must not queue behind moves).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "bench/select_bench.h"
#include "bench/timing.h"
#include "select/overlay.h"
#include "settings/gdi.h"
#include "settings/geometry.h"

namespace {

// One timed call with untimed preparation and clean-up around it.
struct Timed {
    std::function<void()> prepare, call, cleanUp;
};

// Median of each call; the calls take turns round after round, so that a
// noisy spell of the machine weighs on all alike.
std::vector<double> medians(int rounds, const std::vector<Timed>& calls) {
    std::vector<std::vector<double>> times(calls.size());
    for (int round = -2; round < rounds; ++round) {  // two rounds to warm up
        for (size_t c = 0; c < calls.size(); ++c) {
            if (calls[c].prepare) calls[c].prepare();
            GdiFlush();
            const double start = nowMs();
            calls[c].call();
            GdiFlush();
            const double took = nowMs() - start;
            if (calls[c].cleanUp) calls[c].cleanUp();
            if (round >= 0) times[c].push_back(took);
            pumpMessages();
        }
    }
    std::vector<double> result;
    for (auto& series : times) {
        std::sort(series.begin(), series.end());
        result.push_back(series[series.size() / 2]);
    }
    return result;
}

// A memory DC with a screen-compatible bitmap, as the overlay holds its images.
struct Canvas : MemoryCanvas {
    Canvas(int width, int height) { make(ScreenDC().get(), width, height); }
};

// The bare platform cost of a paint: the overlay's procedure swapped for one
// that only blits the dimmed image in WM_PAINT.
HDC barePaintSource = nullptr;
LRESULT CALLBACK barePaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    BitBlt(dc, 0, 0, client.right, client.bottom, barePaintSource, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
    return 0;
}

void repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

void moveCorner(HWND overlay, const SelectionDrag& drag) {
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drag.currentX + 4, drag.currentY + 3));
}

HWND openOverlay(const RECT& area) {
    openSelectionOverlayOver(GetModuleHandleW(nullptr), area, [](bool, RECT) {});
    pumpMessages();
    return FindWindowW(kSelectClass, nullptr);
}

void closeOverlay(HWND overlay) {
    SendMessageW(overlay, WM_KEYDOWN, VK_ESCAPE, 0);
    pumpMessages();
}

SelectionOverlay* recordOf(HWND overlay) {
    return reinterpret_cast<SelectionOverlay*>(GetWindowLongPtrW(overlay, GWLP_USERDATA));
}

// Counts the overlay's paints and moves, to follow a drag from outside.
struct DragWatch {
    WNDPROC original = nullptr;
    int moves = 0;
    int paints = 0;
    int movesPainted = 0;       // moves handled before the last paint ended
    std::vector<double> posted;  // when each move was posted
    std::vector<double> shown;   // when a paint that includes it ended
};
DragWatch* watch = nullptr;

LRESULT CALLBACK watchedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(watch->original, window, message, wParam, lParam);
    if (message == WM_MOUSEMOVE) ++watch->moves;
    if (message == WM_PAINT) {
        ++watch->paints;
        const double now = nowMs();
        for (; watch->movesPainted < watch->moves; ++watch->movesPainted) watch->shown.push_back(now);
    }
    return result;
}

struct DragFigures {
    int moves, paints, burstPaints;
    double medianLag, worstLag;
};

// Moves at 125 Hz (a common pointer rate) along a diagonal, then a burst of
// 50 moves posted at once, as a slow frame would leave them queued.
DragFigures followDrag(HWND overlay, int width, int height) {
    DragWatch counts;
    watch = &counts;
    counts.original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(overlay, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchedProc)));
    SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(width / 8, height / 8));
    UpdateWindow(overlay);
    counts.moves = counts.paints = counts.movesPainted = 0;

    constexpr int kMoves = 120;
    constexpr double kPeriodMs = 8.0;
    const double start = nowMs();
    for (int i = 0; i < kMoves; ++i) {
        while (nowMs() < start + i * kPeriodMs) {
            pumpMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        const int x = width / 8 + (width / 2) * i / kMoves, y = height / 8 + (height / 2) * i / kMoves;
        counts.posted.push_back(nowMs());
        PostMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    const double end = nowMs() + 500;
    while (nowMs() < end) pumpMessages();
    std::vector<double> lags;
    for (size_t i = 0; i < counts.shown.size() && i < counts.posted.size(); ++i) {
        lags.push_back(counts.shown[i] - counts.posted[i]);
    }
    std::sort(lags.begin(), lags.end());
    DragFigures figures{counts.moves, counts.paints, 0, lags.empty() ? -1 : lags[lags.size() / 2],
                        lags.empty() ? -1 : lags.back()};

    counts.paints = 0;
    for (int i = 0; i < 50; ++i) PostMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(width / 3 + i, height / 3));
    pumpMessages();
    figures.burstPaints = counts.paints;

    SetWindowLongPtrW(overlay, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counts.original));
    watch = nullptr;
    return figures;
}

// Returns the goal's ratio: one paint of a typical move over a bare full-size blit in WM_PAINT.
double measure(const char* label, const RECT& area, int rounds) {
    const int width = static_cast<int>(rectWidth(area)), height = static_cast<int>(rectHeight(area));

    // Opening.
    SelectionOverlay record;
    HWND opened = nullptr;
    Canvas bareImage(width, height), bareBlack(width, height);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, kDimAlpha, 0};
    std::vector<std::unique_ptr<Canvas>> fresh;
    const auto open = medians(rounds, {
        {[&] { record.originX = area.left; record.originY = area.top;
               record.width = width; record.height = height; },
         [&] { takeSelectionScreenshot(record); },
         [&] { releaseSelectionBitmaps(record); }},
        {nullptr,
         [&] {
             HDC screen = GetDC(nullptr);
             BitBlt(bareImage.dc(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
             ReleaseDC(nullptr, screen);
             GdiAlphaBlend(bareImage.dc(), 0, 0, width, height, bareBlack.dc(), 0, 0, width, height, blend);
         },
         nullptr},
        {nullptr, [&] { opened = openOverlay(area); }, [&] { closeOverlay(opened); }},
        {[&] { fresh.clear(); },
         [&] {
             fresh.emplace_back(std::make_unique<Canvas>(width, height));
             fresh.emplace_back(std::make_unique<Canvas>(width, height));
             HDC screen = GetDC(nullptr);
             BitBlt(fresh[0]->dc(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
             ReleaseDC(nullptr, screen);
             GdiAlphaBlend(fresh[1]->dc(), 0, 0, width, height, fresh[0]->dc(), 0, 0, width, height, blend);
         },
         [&] { fresh.clear(); }},
    });

    // One paint during a drag over the middle quarter, beside a bare blit.
    HWND overlay = openOverlay(area);
    SelectionOverlay* live = overlay ? recordOf(overlay) : nullptr;
    if (!live) {
        std::printf("%-10s the overlay could not be opened\n", label);
        return -1;
    }
    const SelectionDrag midDrag{width / 4, height / 4, 3 * width / 4, 3 * height / 4, true, false};
    live->drag = midDrag;
    barePaintSource = live->dimmed.dc();
    const auto overlayProc = GetWindowLongPtrW(overlay, GWLP_WNDPROC);
    const auto paint = medians(rounds * 6, {
        {nullptr, [&] { repaint(overlay); }, nullptr},
        {[&] { SetWindowLongPtrW(overlay, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(barePaintProc)); },
         [&] { repaint(overlay); },
         [&] { SetWindowLongPtrW(overlay, GWLP_WNDPROC, overlayProc); }},
        {nullptr,
         [&] {
             HDC dc = GetDC(overlay);
             BitBlt(dc, 0, 0, width, height, live->dimmed.dc(), 0, 0, SRCCOPY);
             ReleaseDC(overlay, dc);
         },
         nullptr},
        // The paint of a typical move, a few pixels, invalidated by the
        // overlay's own handling of it, which is timed apart.
        {[&] { live->drag = midDrag; ValidateRect(overlay, nullptr); moveCorner(overlay, midDrag); },
         [&] { UpdateWindow(overlay); },
         [&] { live->drag = midDrag; }},
        {[&] { live->drag = midDrag; ValidateRect(overlay, nullptr); },
         [&] { moveCorner(overlay, midDrag); },
         [&] { live->drag = midDrag; ValidateRect(overlay, nullptr); }},
    });
    const DragFigures drag = followDrag(overlay, width, height);
    closeOverlay(overlay);

    std::printf("%-10s %8.1f %8.1f %5.2f %8.1f %5.2f %8.1f | %6.2f %6.2f %5.2f %6.2f %5.2f %6.2f %5.2f %6.3f | %4d %4d %5.1f %5.1f %3d\n",
                label, open[0], open[1], open[0] / open[1], open[3], open[0] / open[3], open[2], paint[0], paint[1], paint[0] / paint[1], paint[2],
                paint[0] / paint[2], paint[3], paint[3] / paint[1], paint[4], drag.moves, drag.paints, drag.medianLag, drag.worstLag, drag.burstPaints);
    return paint[3] / paint[1];
}

}  // namespace

void runSelectionBench(bool virtualScreenOnly) {
    const RECT screen = virtualScreenRect();
    const long long screenWidth = rectWidth(screen), screenHeight = rectHeight(screen);
    std::printf("\nselection overlay; medians in ms; virtual screen %lldx%lld at (%ld, %ld), %d monitor(s)\n",
                screenWidth, screenHeight, screen.left, screen.top, GetSystemMetrics(SM_CMONITORS));
    std::printf("%-10s %8s %8s %5s %8s %5s %8s | %6s %6s %5s %6s %5s %6s %5s %6s | %4s %4s %5s %5s %3s\n", "", "shot+dim",
                "bare", "ratio", "fresh", "ratio", "open all", "paint", "WM_PNT", "ratio", "GetDC", "ratio", "mvpnt",
                "ratio", "handle", "move", "pnt", "lag", "worst", "bst");
    std::vector<std::pair<const char*, double>> goals;
    if (!virtualScreenOnly && screenWidth >= 1920 && screenHeight >= 1080) {
        goals.emplace_back("select-paint-1080p",
                           measure("1920x1080", RECT{screen.left, screen.top, screen.left + 1920, screen.top + 1080}, 15));
    }
    char label[32];
    std::snprintf(label, sizeof label, "%lldx%lld", screenWidth, screenHeight);
    const double whole = measure(label, screen, 9);
    if (GetSystemMetrics(SM_CMONITORS) == 3) goals.emplace_back("select-paint-3mon", whole);
    if (GetSystemMetrics(SM_CMONITORS) == 1 && screenWidth == 3840 && screenHeight == 2160) {
        goals.emplace_back("select-paint-4k", whole);
    }
    if (!virtualScreenOnly) {
        std::printf("shot+dim = takeSelectionScreenshot; bare = one screen BitBlt and one AlphaBlend into bitmaps made\n"
                    "beforehand; fresh = the same into two new bitmaps; open all = openSelectionOverlay with its window;\n"
                    "paint = one WM_PAINT mid-drag over a quarter of the overlay, the whole overlay invalid;\n"
                    "WM_PNT and GetDC = one full-size BitBlt into the window in its WM_PAINT, and through GetDC;\n"
                    "mvpnt = the paint after one pointer move of a few pixels at the corner of that selection, and its\n"
                    "ratio over WM_PNT; handle = the overlay's own handling of that move (what it invalidates);\n"
                    "move/pnt = moves at 125 Hz and the paints they caused; lag = median and worst ms from a move to\n"
                    "the end of the paint that shows it; bst = paints for 50 moves queued at once\n");
    }
    for (const auto& [name, ratio] : goals) std::printf("goal %s ratio %.2f\n", name, ratio);
}
