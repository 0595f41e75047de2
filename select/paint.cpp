// One frame of the selection overlay, painted back to front straight into
// the window: dimmed screenshot, bright selection, outline, size label,
// banner. Every GDI object made here is deleted here; the fonts belong to
// the overlay's record.
#include <windows.h>

#include "select/select.h"

HFONT createSelectFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, kSelectFontFace);
}

namespace {

void fillBox(HDC dc, const RECT& box, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}

// Text in its font, on a filled box that measureBox places for the text's size.
template <typename PlaceBox>
void drawBoxedText(HDC dc, const wchar_t* text, HGDIOBJ font, COLORREF fill, COLORREF ink, int indent, UINT format,
                   PlaceBox measureBox) {
    {
        const SelectedObject fontSelected(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SIZE size{0, 0};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        const RECT box = measureBox(size);
        // Clipped away, as the banner is after most moves: no text to lay out.
        if (RectVisible(dc, &box)) {
            fillBox(dc, box, fill);
            SetTextColor(dc, ink);
            RECT textBox = box;
            textBox.left += indent;
            DrawTextW(dc, text, -1, &textBox, format);
        }
    }
}

struct SizeLabel {
    wchar_t text[64];
    explicit SizeLabel(const RECT& selection) {
        wsprintfW(text, kSizeLabelFormat, static_cast<int>(selection.right - selection.left),
                  static_cast<int>(selection.bottom - selection.top));
    }
};

void drawSelection(HDC dc, const RECT& selection, const SelectionOverlay& overlay) {
    HDC bright = overlay.bright.dc();
    BitBlt(dc, selection.left, selection.top, selection.right - selection.left, selection.bottom - selection.top,
           bright, selection.left, selection.top, SRCCOPY);
    drawFrame(dc, selection, kSelectAccent, kOutlineWidth);
    const SizeLabel label(selection);
    drawBoxedText(dc, label.text, overlay.labelFont.get(), kSelectAccent, kLabelText, 9, DT_SINGLELINE | DT_VCENTER,
                  [&](SIZE text) { return sizeLabelBox(selection, text); });
}

}  // namespace

SIZE sizeLabelExtent(HDC dc, HGDIOBJ font, const SelectionDrag& drag) {
    SIZE size{0, 0};
    const std::optional<RECT> selection = liveSelectionRect(drag);
    if (!selection) return size;
    const SizeLabel label(*selection);
    const SelectedObject fontSelected(dc, font);
    GetTextExtentPoint32W(dc, label.text, lstrlenW(label.text), &size);
    return size;
}

void paintSelectionOverlay(HWND window, const SelectionOverlay& overlay) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
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
    EndPaint(window, &paint);
}
