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

void drawSelection(HDC dc, const RECT& selection, const SelectionOverlay& overlay) {
    BitBlt(dc, selection.left, selection.top, static_cast<int>(rectWidth(selection)),
           static_cast<int>(rectHeight(selection)), overlay.bright.dc(), selection.left, selection.top, SRCCOPY);
    drawFrame(dc, selection, kSelectAccent, kOutlineWidth);
    drawBoxedText(dc, sizeText(selection).c_str(), overlay.labelFont.get(), kSelectAccent, kLabelText, 9,
                  DT_SINGLELINE | DT_VCENTER, [&](SIZE text) { return sizeLabelBox(selection, text); });
}

}  // namespace

HFONT createSelectFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, kSelectFontFace);
}

SIZE sizeLabelExtent(HDC dc, HFONT font, const SelectionDrag& drag) {
    SIZE size{0, 0};
    const std::optional<RECT> selection = liveSelectionRect(drag);
    if (!selection) return size;
    const std::wstring label = sizeText(*selection);
    const SelectedObject fontSelected(dc, font);
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
    return size;
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
    drawBoxedText(dc, kBannerTextLine, overlay.bannerFont.get(), kBannerFill, kBannerText, 0,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER, [&](SIZE text) { return bannerBox(client, text); });
}
