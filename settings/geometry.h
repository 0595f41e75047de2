#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Rectangle and monitor rules shared by the filter, region selection and
// overlay hiding. Sizes are measured in 64 bits: stored or dragged
// coordinates can lie far apart enough to wrap a 32-bit difference.

// Smallest region that may be stored (each side).
inline constexpr int kMinRegionSide = 24;
// A region lies on a monitor when it covers at least this much of it (each side).
inline constexpr int kMinMonitorOverlap = 16;

inline long long rectWidth(const RECT& rect) { return static_cast<long long>(rect.right) - rect.left; }
inline long long rectHeight(const RECT& rect) { return static_cast<long long>(rect.bottom) - rect.top; }
// Width and height as the user reads them: the multiplication sign (U+00D7)
// between them, a space either side.
std::wstring sizeText(const RECT& rect);

// At least kMinRegionSide on each side.
bool isUsableRegion(const RECT& rect);
// At least `side` pixels on each side.
bool hasMinimumSize(const RECT& rect, int side);

// Intersection of two rectangles, collapsed to zero size where they miss.
RECT clipRect(const RECT& region, const RECT& bounds);
// The rectangle spanned by two corners given in any order.
RECT rectFromPoints(POINT a, POINT b);
// Centre of a rectangle, each coordinate halved toward zero without overflow.
POINT rectCentre(const RECT& rect);

// The part of a region on a monitor, when it covers at least
// kMinMonitorOverlap of it on each side.
std::optional<RECT> partOnMonitor(const RECT& region, const RECT& monitor);
// The region lies on at least one of the monitors there are now.
bool onSomeMonitor(const RECT& region);

// The whole rectangle of a monitor, or of the one nearest to a point; empty
// when it is unknown.
RECT monitorRect(HMONITOR monitor);
RECT nearestMonitorRect(POINT point);
// The virtual screen: the bounding box of every monitor.
RECT virtualScreenRect();

// Scaling: sizes are given as at 96 dots per inch, the 100 % scale.
inline constexpr UINT kDefaultDpi = 96;
// The DPI of the monitor nearest a point; 96 where the system cannot say.
UINT monitorDpiAt(POINT point);
// A size given at 96 DPI, at another DPI (rounded to the nearest pixel).
int scaledToDpi(int pixelsAt96, UINT dpi);
