#pragma once

// What select/'s files, its tests and the benchmark share: the overlay's
// record and drawing, and the rules of a drag as plain functions.

#include <windows.h>

#include <array>
#include <functional>
#include <optional>

#include "select/select.h"
#include "settings/gdi.h"

// Drawing constants.
inline constexpr BYTE kDimAlpha = 97;  // black over the screenshot: each channel keeps 158/255
inline constexpr COLORREF kSelectAccent = RGB(236, 55, 80);  // outline and label box
inline constexpr int kOutlineWidth = 2;
inline constexpr COLORREF kLabelText = RGB(255, 255, 255);
inline constexpr COLORREF kBannerFill = RGB(8, 9, 12);
inline constexpr COLORREF kBannerText = RGB(240, 240, 244);
inline constexpr wchar_t kBannerTextLine[] = L"Drag to select the area to filter out     Esc to cancel";
// Width and height of a drawn selection must each exceed this.
inline constexpr int kMaxUndrawnSide = 1;

// The overlay's font at this height.
HFONT createSelectFont(int height);

// The size label's and the banner's sizes at one scale: they grow with the
// DPI of the monitor they are drawn on; the outline stays as it is.
struct SelectMetrics {
    int labelFontHeight;  // negative: the height of the characters
    int labelInset;       // from the selection's top-left corner
    int labelPadWidth;    // the box beyond the text
    int labelPadHeight;
    int labelIndent;  // the text from the box's left edge
    int bannerFontHeight;
    int bannerTop;
    int bannerPadWidth;
    int bannerPadHeight;
};
SelectMetrics selectMetrics(UINT dpi);

// One of the overlay's fonts, made for the DPI it is drawn at, and again
// only when that changes.
class ScaledFont {
public:
    explicit ScaledFont(int SelectMetrics::*height) : height_(height) {}
    HFONT at(UINT dpi) const;

private:
    int SelectMetrics::*height_;
    mutable UINT dpi_ = 0;
    mutable GdiObject<HFONT> font_;
};

// Receives the outcome of one selection: accepted with an area in
// virtual-screen pixels, or not (the area then means nothing).
using RegionSelectionCallback = std::function<void(bool accepted, RECT area)>;

// The drag as the overlay's messages leave it, in overlay client coordinates.
struct SelectionDrag {
    int startX = 0;
    int startY = 0;
    int currentX = 0;
    int currentY = 0;
    bool dragging = false;
    bool finished = false;  // the selection has ended; later endings are ignored
};

// The state of one running selection; hangs on its window (GWLP_USERDATA).
struct SelectionOverlay {
    HWND window = nullptr;
    int originX = 0;  // virtual-screen point of client (0, 0)
    int originY = 0;
    int width = 0;
    int height = 0;
    MemoryCanvas bright;  // the screenshot as taken
    MemoryCanvas dimmed;  // its darkened copy
    ScaledFont labelFont{&SelectMetrics::labelFontHeight};
    ScaledFont bannerFont{&SelectMetrics::bannerFontHeight};
    SelectionDrag drag;
    RegionSelectionCallback callback;
};

// ---- the rules of a selection, as plain functions ------------------------

// The overlay's input, reduced to what the rules look at.
enum class SelectionInput { LeftDown, Move, LeftUp, RightDown, KeyDown };
struct SelectionEvent {
    SelectionInput input;
    POINT point{0, 0};  // client coordinates (mouse input)
    WPARAM key = 0;     // virtual key (KeyDown)
};

enum class SelectionOutcome { Continue, Accepted, Cancelled };

// What one event does: the drag after it, whether the overlay must be
// repainted, and how the selection ends, if it does.
struct SelectionStep {
    SelectionDrag drag;
    bool repaint = false;
    SelectionOutcome outcome = SelectionOutcome::Continue;
    // Accepted: the area in virtual-screen coordinates. Cancelled by a small
    // drag: that rectangle in client coordinates. Esc or right button: empty.
    RECT area{0, 0, 0, 0};
};

// `origin` is the virtual-screen point of client (0, 0). An ended selection
// (drag.finished) ignores every event.
SelectionStep nextSelectionStep(const SelectionDrag& drag, const SelectionEvent& event, POINT origin);

// The rectangle drawn while dragging; none when not dragging or when a side
// is one pixel or less.
std::optional<RECT> liveSelectionRect(const SelectionDrag& drag);
// The size label's box for a selection and the measured text.
RECT sizeLabelBox(const RECT& selection, SIZE text, const SelectMetrics& metrics);
// The banner's box, centred on the whole client area, for the measured text.
RECT bannerBox(const RECT& client, SIZE text, const SelectMetrics& metrics);
// What a step of the drag changes on the overlay, as boxes (empty ones mean
// nothing): the selection before and after it, outline included, less what
// lies inside both, and the size label's box of each (given).
std::array<RECT, 10> dragChangeBoxes(const SelectionDrag& before, const SelectionDrag& after, const RECT& labelBefore,
                                     const RECT& labelAfter);

// ---- the overlay ---------------------------------------------------------

// Takes the screenshot and opens the overlay over the virtual screen. Returns
// once it is shown; the callback runs later, at most once, after the overlay
// is gone. When the overlay cannot be made, the callback is dropped unused
// and the result is false.
bool openSelectionOverlay(HINSTANCE instance, RegionSelectionCallback callback);
// The same over a given part of the virtual screen (the benchmark's sizes).
bool openSelectionOverlayOver(HINSTANCE instance, const RECT& area, RegionSelectionCallback callback);

// Screenshot and dimmed copy of the record's area into its DCs; false when
// any DC or bitmap could not be made (painting then skips what is missing).
bool takeSelectionScreenshot(SelectionOverlay& overlay);
void releaseSelectionBitmaps(SelectionOverlay& overlay);
void paintSelectionOverlay(HWND window, const SelectionOverlay& overlay);
// The box of the size label the drag shows, measured on `dc`; empty when none.
RECT sizeLabelBoxOf(HDC dc, const SelectionOverlay& overlay, const SelectionDrag& drag);
