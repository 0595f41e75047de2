// One frame of the selection overlay, painted back to front straight into
// the window: dimmed screenshot, bright selection, outline, size label,
// banner. Every GDI object made here is deleted here; the fonts belong to
// the overlay's record.
#include <windows.h>

#include <string>

#include "select/overlay.h"
#include "settings/geometry.h"

namespace {

constexpr wchar_t kSelectFontFace[] = L"Segoe UI";

// Text in its font, on a filled box that measureBox places for the text's size.
template <typename PlaceBox>
void drawBoxedText(HDC dc, const wchar_t* text, HFONT font, COLORREF fill, COLORREF ink, int indent, UINT format,
                   PlaceBox measureBox) {
    const SelectedObject fontSelected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    const RECT box = measureBox(size);
    // Clipped away, as the banner is after most moves: no text to lay out.
    if (!RectVisible(dc, &box)) return;
    fillSolid(dc, box, fill);
    SetTextColor(dc, ink);
    RECT textBox = box;
    textBox.left += indent;
    DrawTextW(dc, text, -1, &textBox, format);
}

// Each text at the DPI of the monitor it is drawn on: the label where the
// selection's top-left corner lies, the banner at the top of the middle.
UINT labelDpi(const SelectionOverlay& overlay, const RECT& selection) {
    return monitorDpiAt(POINT{overlay.originX + selection.left, overlay.originY + selection.top});
}
UINT bannerDpi(const SelectionOverlay& overlay) {
    return monitorDpiAt(POINT{overlay.originX + overlay.width / 2, overlay.originY});
}

void drawSelection(HDC dc, const RECT& selection, const SelectionOverlay& overlay) {
    BitBlt(dc, selection.left, selection.top, static_cast<int>(rectWidth(selection)),
           static_cast<int>(rectHeight(selection)), overlay.bright.dc(), selection.left, selection.top, SRCCOPY);
    drawFrame(dc, selection, kSelectAccent, kOutlineWidth);
    const UINT dpi = labelDpi(overlay, selection);
    const SelectMetrics metrics = selectMetrics(dpi);
    drawBoxedText(dc, sizeText(selection).c_str(), overlay.labelFont.at(dpi), kSelectAccent, kLabelText,
                  metrics.labelIndent, DT_SINGLELINE | DT_VCENTER,
                  [&](SIZE text) { return sizeLabelBox(selection, text, metrics); });
}

}  // namespace

HFONT createSelectFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, kSelectFontFace);
}

HFONT ScaledFont::at(UINT dpi) const {
    if (dpi != dpi_ || !font_.get()) {
        font_.reset(createSelectFont(selectMetrics(dpi).*height_));
        dpi_ = dpi;
    }
    return font_.get();
}

RECT sizeLabelBoxOf(HDC dc, const SelectionOverlay& overlay, const SelectionDrag& drag) {
    const std::optional<RECT> selection = liveSelectionRect(drag);
    if (!selection) return RECT{0, 0, 0, 0};
    const UINT dpi = labelDpi(overlay, *selection);
    const std::wstring label = sizeText(*selection);
    SIZE size{0, 0};
    const SelectedObject fontSelected(dc, overlay.labelFont.at(dpi));
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
    return sizeLabelBox(*selection, size, selectMetrics(dpi));
}

void paintSelectionOverlay(HWND window, const SelectionOverlay& overlay) {
    const WindowPaint paint(window);
    const HDC dc = paint.dc();
    const RECT& client = paint.client();
    const std::optional<RECT> selection = liveSelectionRect(overlay.drag);
    const bool showSelection = selection && overlay.bright.dc();

    if (overlay.dimmed.dc()) {
        // The selection is drawn from the bright image next: leaving it out
        // here writes each pixel once, so a large selection costs no more.
        const int saved = SaveDC(dc);
        if (showSelection) ExcludeClipRect(dc, selection->left, selection->top, selection->right, selection->bottom);
        BitBlt(dc, 0, 0, client.right, client.bottom, overlay.dimmed.dc(), 0, 0, SRCCOPY);
        RestoreDC(dc, saved);
    }
    if (showSelection) drawSelection(dc, *selection, overlay);
    // Last, so that it stays on top of a selection that covers it.
    const UINT dpi = bannerDpi(overlay);
    const SelectMetrics metrics = selectMetrics(dpi);
    drawBoxedText(dc, kBannerTextLine, overlay.bannerFont.at(dpi), kBannerFill, kBannerText, 0,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER, [&](SIZE text) { return bannerBox(client, text, metrics); });
}
