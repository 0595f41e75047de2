#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/gdi.h"

#ifndef PW_RENDERFULLCONTENT
#define PW_RENDERFULLCONTENT 0x00000002
#endif

// Per-mirror-window record. Its window holds it, and so does each frame
// under way (see mirror_windows.cpp).
struct MirrorContext {
    HWND window = nullptr;
    RECT source{0, 0, 0, 0};
    // The last frame: a memory DC with a DIB section, its pixels and its size.
    MemoryCanvas buffer;
    bool followsWindow = false;
    HWND targetWindow = nullptr;
    bool outline = true;
    bool fallbackLogged = false;
    // A frame waits inside its capture: one started meanwhile must not write the same buffer.
    bool capturing = false;
};

// A window that a one-window mirror can show: set, still there and not minimised.
bool canBeMirrored(HWND window);

// The buffer at this size: kept when it has it, made anew when not; sizes
// of 0 or less change nothing.
void ensureBackBuffer(MirrorContext& context, int width, int height);
bool captureFrame(MirrorContext& context);
void presentFrame(const MirrorContext& context, HDC dc);

// Distance between sampled pixels of the usability test for n pixels.
std::uint64_t usabilitySampleStep(std::uint64_t pixelCount);
// True when a sampled pixel has any colour (the fourth byte is ignored).
bool frameLooksUsable(const std::uint32_t* pixels, int width, int height);
