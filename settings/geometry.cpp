#include "settings/geometry.h"

#include <algorithm>

std::wstring sizeText(const RECT& rect) {
    return std::to_wstring(rectWidth(rect)) + L" \u00D7 " + std::to_wstring(rectHeight(rect));
}

bool hasMinimumSize(const RECT& rect, int side) { return rectWidth(rect) >= side && rectHeight(rect) >= side; }

bool isUsableRegion(const RECT& rect) { return hasMinimumSize(rect, kMinRegionSide); }

RECT clipRect(const RECT& region, const RECT& bounds) {
    RECT clipped{std::max(region.left, bounds.left), std::max(region.top, bounds.top),
                 std::min(region.right, bounds.right), std::min(region.bottom, bounds.bottom)};
    clipped.right = std::max(clipped.right, clipped.left);
    clipped.bottom = std::max(clipped.bottom, clipped.top);
    return clipped;
}

RECT rectFromPoints(POINT a, POINT b) {
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

POINT rectCentre(const RECT& rect) {
    return POINT{static_cast<LONG>((static_cast<long long>(rect.left) + rect.right) / 2),
                 static_cast<LONG>((static_cast<long long>(rect.top) + rect.bottom) / 2)};
}

std::optional<RECT> partOnMonitor(const RECT& region, const RECT& monitor) {
    const RECT part = clipRect(region, monitor);
    if (!hasMinimumSize(part, kMinMonitorOverlap)) return std::nullopt;
    return part;
}

bool onSomeMonitor(const RECT& region) {
    struct Probe {
        const RECT& region;
        bool found;
    } probe{region, false};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) {
            auto& p = *reinterpret_cast<Probe*>(data);
            p.found = partOnMonitor(p.region, monitorRect(monitor)).has_value();
            return p.found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&probe));
    return probe.found;
}

RECT monitorRect(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return RECT{0, 0, 0, 0};
    return info.rcMonitor;
}

RECT nearestMonitorRect(POINT point) { return monitorRect(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

RECT virtualScreenRect() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

UINT monitorDpiAt(POINT point) {
    // Looked up at run time, and from System32 only: GetDpiForMonitor is
    // in shcore.dll, which not every Windows has.
    using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const GetDpi getDpi = [] {
        const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shcore ? reinterpret_cast<GetDpi>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: what the user chose in Settings
    UINT dpiX = 0, dpiY = 0;
    if (!getDpi || FAILED(getDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &dpiX, &dpiY)) ||
        dpiY == 0) {
        return kDefaultDpi;
    }
    return dpiY;
}

int scaledToDpi(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), kDefaultDpi); }
