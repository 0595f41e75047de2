// The selection overlay's window: its screenshot, its messages and its end.
#include <windows.h>
#include <windowsx.h>

#include <utility>

#include "select/overlay.h"
#include "settings/geometry.h"
#include "settings/window_facts.h"

namespace {

// Set by the first open, whether or not the class could be registered.
bool selectClassRegistrationAttempted = false;

constexpr DWORD kSelectExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
SelectionOverlay* overlayOf(HWND window) { return windowRecord<SelectionOverlay>(window); }

// Only what the step changed: a paint then costs about what the pointer
// moved over, not the whole virtual screen. The banner needs nothing, as
// every paint draws it over whatever it covers.
void invalidateChange(HWND window, const SelectionOverlay& overlay, const SelectionDrag& before) {
    const MemoryDC measuring;
    const RECT labelBefore = sizeLabelBoxOf(measuring.get(), overlay, before);
    const RECT labelAfter = sizeLabelBoxOf(measuring.get(), overlay, overlay.drag);
    const GdiObject changed(CreateRectRgn(0, 0, 0, 0)), box(CreateRectRgn(0, 0, 0, 0));
    for (const RECT& part : dragChangeBoxes(before, overlay.drag, labelBefore, labelAfter)) {
        if (IsRectEmpty(&part)) continue;
        SetRectRgn(box.get(), part.left, part.top, part.right, part.bottom);
        CombineRgn(changed.get(), changed.get(), box.get(), RGN_OR);
    }
    // One call: under Wine every invalidation is a round trip to its server.
    InvalidateRgn(window, changed.get(), FALSE);
}

// Ends the selection once: the overlay goes, then the callback runs.
void finishRegionSelection(SelectionOverlay* overlay, bool accepted, const RECT& area) {
    if (!overlay || overlay->drag.finished) return;
    overlay->drag.finished = true;
    RegionSelectionCallback callback = overlay->callback;
    const RECT chosen = area;  // `area` may point into the record, which WM_DESTROY frees
    HWND window = overlay->window;
    ReleaseCapture();
    DestroyWindow(window);
    // The overlay is off the screen before the receiver makes any window.
    if (callback) callback(accepted, chosen);
}

void handleStep(HWND window, SelectionOverlay& overlay, const SelectionEvent& event) {
    const SelectionStep step = nextSelectionStep(overlay.drag, event, POINT{overlay.originX, overlay.originY});
    const SelectionDrag before = overlay.drag;
    overlay.drag = step.drag;
    if (step.repaint) invalidateChange(window, overlay, before);
    // The record is freed by the end of the selection: nothing may use it after.
    if (step.outcome != SelectionOutcome::Continue) {
        finishRegionSelection(&overlay, step.outcome == SelectionOutcome::Accepted, step.area);
    }
}

LRESULT onInput(HWND window, SelectionInput input, LPARAM lParam, WPARAM key = 0) {
    if (SelectionOverlay* overlay = overlayOf(window)) {
        handleStep(window, *overlay, SelectionEvent{input, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, key});
    }
    return 0;
}

void onDestroy(HWND window) {
    SelectionOverlay* overlay = overlayOf(window);
    if (!overlay) return;
    attachWindowRecord<SelectionOverlay>(window, nullptr);
    releaseSelectionBitmaps(*overlay);
    // Frees the stored callback too: copied out by finishRegionSelection, or abandoned.
    delete overlay;
}

LRESULT CALLBACK selectOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        return 1;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_PAINT:
        if (const SelectionOverlay* overlay = overlayOf(window)) {
            paintSelectionOverlay(window, *overlay);
        } else {
            ValidateRect(window, nullptr);
        }
        return 0;
    case WM_LBUTTONDOWN:
        return onInput(window, SelectionInput::LeftDown, lParam);
    case WM_MOUSEMOVE:
        return onInput(window, SelectionInput::Move, lParam);
    case WM_LBUTTONUP:
        return onInput(window, SelectionInput::LeftUp, lParam);
    case WM_RBUTTONDOWN:
        return onInput(window, SelectionInput::RightDown, lParam);
    case WM_KEYDOWN:
        return onInput(window, SelectionInput::KeyDown, 0, wParam);
    case WM_CLOSE:
        // Alt+F4 and other closes cancel like Esc, so that a filter the
        // command took down comes back instead of staying off.
        return onInput(window, SelectionInput::KeyDown, 0, VK_ESCAPE);
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void registerSelectClassOnce(HINSTANCE instance) {
    if (selectClassRegistrationAttempted) return;
    selectClassRegistrationAttempted = true;
    registerWindowClass(instance, kSelectClass, selectOverlayProc, IDC_CROSS);
}

}  // namespace

bool takeSelectionScreenshot(SelectionOverlay& overlay) {
    const int width = overlay.width, height = overlay.height;
    {
        const ScreenDC screen;
        if (!overlay.bright.make(screen.get(), width, height)) return false;
        BitBlt(overlay.bright.dc(), 0, 0, width, height, screen.get(), overlay.originX, overlay.originY, kScreenCopy);
    }
    if (!overlay.dimmed.make(overlay.bright.dc(), width, height)) return false;
    // Black with the screenshot blended over it at 255 - 97 gives each pixel
    // what black blended over the screenshot at 97 gives, (s * 158 + 127) / 255,
    // without a copy of the screenshot and a filled black image to blend from:
    // two more passes over fresh memory, together as dear as the blend itself.
    PatBlt(overlay.dimmed.dc(), 0, 0, width, height, BLACKNESS);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(255 - kDimAlpha), 0};
    // gdi32's own AlphaBlend: msimg32, which only passes it on, is not a
    // KnownDLL, so Windows would take a msimg32.dll found beside the program.
    GdiAlphaBlend(overlay.dimmed.dc(), 0, 0, width, height, overlay.bright.dc(), 0, 0, width, height, blend);
    return true;
}

void releaseSelectionBitmaps(SelectionOverlay& overlay) {
    overlay.bright.release();
    overlay.dimmed.release();
}

bool openSelectionOverlay(HINSTANCE instance, RegionSelectionCallback callback) {
    return openSelectionOverlayOver(instance, virtualScreenRect(), std::move(callback));
}

bool openSelectionOverlayOver(HINSTANCE instance, const RECT& area, RegionSelectionCallback callback) {
    registerSelectClassOnce(instance);
    auto* overlay = new SelectionOverlay{};
    overlay->callback = std::move(callback);
    overlay->originX = area.left;
    overlay->originY = area.top;
    overlay->width = static_cast<int>(rectWidth(area));
    overlay->height = static_cast<int>(rectHeight(area));

    // Before the window exists, so that the screenshot shows what lies beneath.
    takeSelectionScreenshot(*overlay);

    overlay->window = CreateWindowExW(kSelectExStyle, kSelectClass, kSelectTitle, WS_POPUP, overlay->originX,
                                      overlay->originY, overlay->width, overlay->height, nullptr, nullptr, instance,
                                      nullptr);
    if (!overlay->window) {
        releaseSelectionBitmaps(*overlay);
        delete overlay;  // the callback goes with it, never invoked
        return false;
    }
    attachWindowRecord(overlay->window, overlay);
    ShowWindow(overlay->window, SW_SHOW);
    SetForegroundWindow(overlay->window);
    SetFocus(overlay->window);
    // Releases outside the overlay still end the drag.
    SetCapture(overlay->window);
    return true;
}

void cancelRegionSelection() {
    if (HWND window = threadWindowOfClass(kSelectClass)) finishRegionSelection(overlayOf(window), false, RECT{0, 0, 0, 0});
}
