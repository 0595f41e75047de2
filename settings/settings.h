#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The filter mode, persisted as the value "Style".
enum class FilterStyle : std::uint32_t {
    ScreenArea = 0,
    OneWindow = 1,
    SolidCover = 2,
};

// The persisted subset of the state.
struct Settings {
    FilterStyle style = FilterStyle::ScreenArea;
    bool outline = true;
    bool hideOverlays = false;
    bool enabled = false;
    bool hasRegion = false;
    RECT region{0, 0, 0, 0};
};

// The one process-wide record of run-time state; touched only on the UI thread.
struct AppState {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    FilterStyle style = FilterStyle::ScreenArea;
    bool filterActive = false;
    bool outline = true;
    bool hideOverlays = false;
    bool hasRegion = false;
    RECT region{0, 0, 0, 0};
    HWND targetWindow = nullptr;
    std::wstring targetTitle;
    std::vector<HWND> mirrorWindows;
    HWND coverWindow = nullptr;
    std::vector<HWND> hiddenOverlays;
    UINT_PTR peekTimer = 0;
};

extern AppState appState;

// Registry names are an interface with earlier runs: never rename them.
inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\Orrinvale\\Clearpane";
inline constexpr wchar_t kValueStyle[] = L"Style";
inline constexpr wchar_t kValueOutline[] = L"Outline";
inline constexpr wchar_t kValueHideOverlays[] = L"HideOverlays";
inline constexpr wchar_t kValueEnabled[] = L"Enabled";
inline constexpr wchar_t kValueRegionLeft[] = L"RegionLeft";
inline constexpr wchar_t kValueRegionTop[] = L"RegionTop";
inline constexpr wchar_t kValueRegionRight[] = L"RegionRight";
inline constexpr wchar_t kValueRegionBottom[] = L"RegionBottom";
inline constexpr wchar_t kValueHasRegion[] = L"HasRegion";

// Smallest region that may be stored (each side).
inline constexpr int kMinRegionSide = 24;

Settings loadSettings();
LONG saveSettings(const Settings& settings);
void saveCurrentSettings(const AppState& state);

// Start-up step: remembers the handles, registers the filter window classes
// and copies the persisted fields (all but `enabled`) into the state.
void initFilterEngine(AppState& state, HINSTANCE instance, HWND mainWindow);
