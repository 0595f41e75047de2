#pragma once

#include <windows.h>

#include <cstdint>

// Per-mirror-window record, hung on the mirror through GWLP_USERDATA. It
// owns its back buffer and frees it with itself.
struct MirrorContext {
    MirrorContext() = default;
    ~MirrorContext();
    MirrorContext(const MirrorContext&) = delete;
    MirrorContext& operator=(const MirrorContext&) = delete;

    HWND window = nullptr;
    RECT source{0, 0, 0, 0};
    int bufferWidth = 0;
    int bufferHeight = 0;
    HDC memoryDC = nullptr;
    HBITMAP dibSection = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    std::uint32_t* pixels = nullptr;
    bool followsWindow = false;
    HWND targetWindow = nullptr;
    bool outline = true;
    bool fallbackLogged = false;
    // A frame waits inside its capture; dropped meanwhile, it frees the record itself.
    bool inFrame = false;
    bool dropped = false;
};

inline constexpr int kMinCaptureSide = 8;
inline constexpr COLORREF kOutlineColour = RGB(64, 68, 76);

// A window that a one-window mirror can show: set, still there and not minimised.
bool canBeMirrored(HWND window);

void ensureBackBuffer(MirrorContext& context, int width, int height);
void releaseBackBuffer(MirrorContext& context);
bool captureFrame(MirrorContext& context);
void presentFrame(const MirrorContext& context, HDC dc);

// Distance between sampled pixels of the usability test for n pixels.
std::uint64_t usabilitySampleStep(std::uint64_t pixelCount);
// True when a sampled pixel has any colour (the fourth byte is ignored).
bool frameLooksUsable(const std::uint32_t* pixels, int width, int height);
