#include "select/overlay.h"

#include "settings/geometry.h"

namespace {

POINT startOf(const SelectionDrag& drag) { return POINT{drag.startX, drag.startY}; }
POINT currentOf(const SelectionDrag& drag) { return POINT{drag.currentX, drag.currentY}; }

SelectionStep ending(const SelectionDrag& drag, SelectionOutcome outcome, const RECT& area) {
    SelectionStep step{drag};
    step.outcome = outcome;
    step.area = area;
    return step;
}

// The release point counts, not the last move.
SelectionStep release(const SelectionDrag& drag, POINT point, POINT origin) {
    SelectionDrag after = drag;
    after.dragging = false;
    RECT area = rectFromPoints(startOf(drag), point);
    if (!isUsableRegion(area)) return ending(after, SelectionOutcome::Cancelled, area);
    OffsetRect(&area, origin.x, origin.y);
    return ending(after, SelectionOutcome::Accepted, area);
}

// `outer` less `inner` as four bands; `inner` is empty or lies within `outer`.
std::array<RECT, 4> bandsAround(const RECT& outer, const RECT& inner) {
    if (IsRectEmpty(&inner)) return {outer, RECT{0, 0, 0, 0}, RECT{0, 0, 0, 0}, RECT{0, 0, 0, 0}};
    return {RECT{outer.left, outer.top, outer.right, inner.top},
            RECT{outer.left, inner.bottom, outer.right, outer.bottom},
            RECT{outer.left, inner.top, inner.left, inner.bottom},
            RECT{inner.right, inner.top, outer.right, inner.bottom}};
}

}  // namespace

SelectionStep nextSelectionStep(const SelectionDrag& drag, const SelectionEvent& event, POINT origin) {
    SelectionStep step{drag};
    if (drag.finished) return step;
    constexpr RECT kNoArea{0, 0, 0, 0};
    switch (event.input) {
    case SelectionInput::LeftDown:
        // Also while dragging: the drag starts again at the new point.
        step.drag.startX = step.drag.currentX = event.point.x;
        step.drag.startY = step.drag.currentY = event.point.y;
        step.drag.dragging = true;
        step.repaint = true;
        return step;
    case SelectionInput::Move:
        if (!drag.dragging) return step;
        step.drag.currentX = event.point.x;
        step.drag.currentY = event.point.y;
        step.repaint = true;
        return step;
    case SelectionInput::LeftUp:
        return drag.dragging ? release(drag, event.point, origin) : step;
    case SelectionInput::RightDown:
        return ending(drag, SelectionOutcome::Cancelled, kNoArea);
    case SelectionInput::KeyDown:
        // Every other key is swallowed.
        return event.key == VK_ESCAPE ? ending(drag, SelectionOutcome::Cancelled, kNoArea) : step;
    }
    return step;
}

std::optional<RECT> liveSelectionRect(const SelectionDrag& drag) {
    if (!drag.dragging) return std::nullopt;
    const RECT shown = rectFromPoints(startOf(drag), currentOf(drag));
    if (!hasMinimumSize(shown, kMaxUndrawnSide + 1)) return std::nullopt;
    return shown;
}

SelectMetrics selectMetrics(UINT dpi) {
    const auto at = [dpi](int pixels) { return scaledToDpi(pixels, dpi); };
    return SelectMetrics{at(-14), at(8), at(18), at(10), at(9), at(-16), at(56), at(40), at(24)};
}

RECT sizeLabelBox(const RECT& selection, SIZE text, const SelectMetrics& metrics) {
    // Always inside the top-left corner, even where it reaches beyond a small
    // selection or off the screen.
    const LONG left = selection.left + metrics.labelInset, top = selection.top + metrics.labelInset;
    return RECT{left, top, left + metrics.labelPadWidth + text.cx, top + metrics.labelPadHeight + text.cy};
}

RECT bannerBox(const RECT& client, SIZE text, const SelectMetrics& metrics) {
    // Centred on the whole overlay (the virtual screen), not on one monitor.
    const LONG half = (text.cx + metrics.bannerPadWidth) / 2;
    const LONG centre = client.right / 2;
    return RECT{centre - half, metrics.bannerTop, centre + half,
                metrics.bannerTop + metrics.bannerPadHeight + text.cy};
}

std::array<RECT, 10> dragChangeBoxes(const SelectionDrag& before, const SelectionDrag& after, const RECT& labelBefore,
                                     const RECT& labelAfter) {
    const std::optional<RECT> old = liveSelectionRect(before), now = liveSelectionRect(after);
    // Inside both selections and clear of both outlines the screenshot shows
    // bright before and after: only the labels there change.
    RECT unchanged{0, 0, 0, 0};
    if (old && now) {
        RECT oldInside = *old, nowInside = *now;
        InflateRect(&oldInside, -kOutlineWidth, -kOutlineWidth);
        InflateRect(&nowInside, -kOutlineWidth, -kOutlineWidth);
        IntersectRect(&unchanged, &oldInside, &nowInside);
    }
    std::array<RECT, 10> boxes{};
    size_t next = 0;
    const auto add = [&](const std::optional<RECT>& shown, const RECT& label) {
        if (!shown) return;
        // The pen straddles the edges, so part of the outline lies outside.
        RECT outlined = *shown;
        InflateRect(&outlined, kOutlineWidth, kOutlineWidth);
        for (const RECT& band : bandsAround(outlined, unchanged)) boxes[next++] = band;
        boxes[next++] = label;
    };
    add(old, labelBefore);
    add(now, labelAfter);
    return boxes;
}
