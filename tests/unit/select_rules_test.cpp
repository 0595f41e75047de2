// The selection's acceptance rules as one table over nextSelectionStep:
// each row runs its events from a fresh drag (or an ended one) and names
// the outcome of the last event.
#include <gtest/gtest.h>

#include <vector>

#include "select/overlay.h"
#include "support/filter_fixtures.h"

namespace {

using In = SelectionInput;
using Out = SelectionOutcome;

SelectionEvent at(In input, LONG x, LONG y) { return SelectionEvent{input, POINT{x, y}, 0}; }
SelectionEvent key(WPARAM virtualKey) { return SelectionEvent{In::KeyDown, POINT{0, 0}, virtualKey}; }

TEST(SelectionRules, EachInputEndsTheSelectionOnlyAsTheUserMeantIt) {
    struct Row {
        const char* what;
        POINT origin;
        bool alreadyEnded;
        std::vector<SelectionEvent> events;
        Out outcome;
        fx::Box area;
        bool dragging;  // after the last event
    };
    const Row rows[] = {
        {"drag down-right", {0, 0}, false, {at(In::LeftDown, 100, 100), at(In::LeftUp, 300, 250)},
         Out::Accepted, {100, 100, 300, 250}, false},
        {"the reversed drag gives the same", {0, 0}, false, {at(In::LeftDown, 300, 250), at(In::LeftUp, 100, 100)},
         Out::Accepted, {100, 100, 300, 250}, false},
        {"the release point counts, not the last move", {0, 0}, false,
         {at(In::LeftDown, 100, 100), at(In::Move, 900, 900), at(In::LeftUp, 300, 250)}, Out::Accepted,
         {100, 100, 300, 250}, false},
        {"offset by a negative origin", {-1280, 0}, false, {at(In::LeftDown, 100, 100), at(In::LeftUp, 300, 250)},
         Out::Accepted, {-1180, 100, -980, 250}, false},
        {"24 x 24 accepted", {0, 0}, false, {at(In::LeftDown, 10, 10), at(In::LeftUp, 34, 34)}, Out::Accepted,
         {10, 10, 34, 34}, false},
        {"23 x 200 refused, in client coordinates", {-1280, 0}, false,
         {at(In::LeftDown, 100, 100), at(In::LeftUp, 123, 300)}, Out::Cancelled, {100, 100, 123, 300}, false},
        {"200 x 23 refused", {0, 0}, false, {at(In::LeftDown, 100, 100), at(In::LeftUp, 300, 123)}, Out::Cancelled,
         {100, 100, 300, 123}, false},
        {"a click without a drag refused", {0, 0}, false, {at(In::LeftDown, 50, 60), at(In::LeftUp, 50, 60)},
         Out::Cancelled, {50, 60, 50, 60}, false},
        {"a second button-down restarts the drag", {0, 0}, false,
         {at(In::LeftDown, 0, 0), at(In::Move, 500, 500), at(In::LeftDown, 100, 100), at(In::LeftUp, 130, 130)},
         Out::Accepted, {100, 100, 130, 130}, false},
        {"a release without a press does nothing", {0, 0}, false, {at(In::LeftUp, 300, 300)}, Out::Continue,
         {0, 0, 0, 0}, false},
        {"a move without a press does nothing", {0, 0}, false, {at(In::Move, 300, 300)}, Out::Continue,
         {0, 0, 0, 0}, false},
        {"Esc cancels with an empty area", {0, 0}, false, {at(In::LeftDown, 10, 10), key(VK_ESCAPE)},
         Out::Cancelled, {0, 0, 0, 0}, true},
        {"the right button cancels mid-drag", {0, 0}, false,
         {at(In::LeftDown, 10, 10), at(In::Move, 200, 200), at(In::RightDown, 200, 200)}, Out::Cancelled,
         {0, 0, 0, 0}, true},
        {"any other key is swallowed", {0, 0}, false,
         {at(In::LeftDown, 10, 10), key('A'), key(VK_RETURN), key(VK_SPACE)}, Out::Continue, {0, 0, 0, 0}, true},
        {"once ended, a release counts no more", {0, 0}, true, {at(In::LeftDown, 0, 0), at(In::LeftUp, 300, 300)},
         Out::Continue, {0, 0, 0, 0}, false},
        {"once ended, Esc counts no more", {0, 0}, true, {key(VK_ESCAPE)}, Out::Continue, {0, 0, 0, 0}, false},
        {"once ended, the right button counts no more", {0, 0}, true, {at(In::RightDown, 5, 5)}, Out::Continue,
         {0, 0, 0, 0}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SelectionDrag drag;
        drag.finished = row.alreadyEnded;
        SelectionStep step{drag};
        for (const SelectionEvent& event : row.events) {
            ASSERT_EQ(step.outcome, Out::Continue) << "ended before its last event";
            step = nextSelectionStep(step.drag, event, row.origin);
        }
        EXPECT_EQ(step.outcome, row.outcome);
        EXPECT_EQ(fx::box(step.area), row.area);
        EXPECT_EQ(step.drag.dragging, row.dragging);
    }
}

TEST(SelectionRules, OnlyASelectionOfTwoPixelsOrMoreIsDrawn) {
    SelectionDrag drag{100, 100, 101, 300, true, false};
    EXPECT_FALSE(liveSelectionRect(drag).has_value());
    drag.currentX = 102;
    drag.currentY = 102;
    ASSERT_TRUE(liveSelectionRect(drag).has_value());
    EXPECT_EQ(fx::box(*liveSelectionRect(drag)), (fx::Box{100, 100, 102, 102}));
    drag.dragging = false;
    EXPECT_FALSE(liveSelectionRect(drag).has_value());
}

TEST(SelectionRules, LabelAndBannerTextAndBoxesGrowWithTheScaleAndAreTodaysAt96) {
    // The label sits inside the selection's corner even where it reaches
    // beyond it; the banner is centred on the client area.
    const RECT selection{100, 100, 102, 102}, client{0, 0, 3200, 1080};
    const SIZE label{30, 16}, banner{361, 19};
    const struct {
        UINT dpi;
        int labelFont, bannerFont, indent;
        fx::Box labelBox, bannerBox;
    } rows[] = {
        {96, -14, -16, 9, {108, 108, 156, 134}, {1400, 56, 1800, 99}},
        {144, -21, -24, 14, {112, 112, 169, 143}, {1390, 84, 1810, 139}},
        {192, -28, -32, 18, {116, 116, 182, 152}, {1380, 112, 1820, 179}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dpi);
        const SelectMetrics metrics = selectMetrics(row.dpi);
        EXPECT_EQ(metrics.labelFontHeight, row.labelFont);
        EXPECT_EQ(metrics.bannerFontHeight, row.bannerFont);
        EXPECT_EQ(metrics.labelIndent, row.indent);
        EXPECT_EQ(fx::box(sizeLabelBox(selection, label, metrics)), row.labelBox);
        EXPECT_EQ(fx::box(bannerBox(client, banner, metrics)), row.bannerBox);
    }
}

}  // namespace
