#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Registry names are an interface with earlier runs and with other programs
// (Windows reads the Run value): never rename them.
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
inline constexpr wchar_t kValueTipShown[] = L"TipShown";
inline constexpr wchar_t kValueHiddenOverlays[] = L"HiddenOverlays";
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Clearpane";

// Owns one open key under HKEY_CURRENT_USER.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // RegOpenKeyExW with KEY_READ; never creates the key.
    LONG openForRead(const wchar_t* path);
    // RegCreateKeyExW, non-volatile, KEY_WRITE: creates the key when missing.
    LONG openForWrite(const wchar_t* path);
    LONG close();

    bool isOpen() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A REG_DWORD value; nullopt when it is absent, unreadable or of another type.
std::optional<DWORD> readDword(HKEY key, const wchar_t* name);
// A REG_SZ value that fits in maxBytes (terminator included); nullopt otherwise.
std::optional<std::wstring> readString(HKEY key, const wchar_t* name, DWORD maxBytes);
// A REG_BINARY value's bytes; nullopt when it is absent, unreadable or of another type.
std::optional<std::vector<BYTE>> readBinary(HKEY key, const wchar_t* name);

// Writes report the Win32 status; callers that may ignore failures do.
LONG writeDword(HKEY key, const wchar_t* name, DWORD value);
// Stored with its terminating null.
LONG writeString(HKEY key, const wchar_t* name, const std::wstring& value);
LONG writeBinary(HKEY key, const wchar_t* name, const std::vector<BYTE>& data);
LONG deleteValue(HKEY key, const wchar_t* name);
