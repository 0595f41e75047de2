#include "overlays/record.h"

#include <algorithm>
#include <cstdint>

#include "app/log.h"
#include "overlays/overlays.h"
#include "settings/registry.h"

namespace {

// Each entry is the handle's full 64-bit value, little-endian whatever the machine.
constexpr size_t kEntryBytes = 8;

std::vector<BYTE> encode(const std::vector<HWND>& windows) {
    std::vector<BYTE> bytes;
    bytes.reserve(windows.size() * kEntryBytes);
    for (HWND window : windows) {
        const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
        for (size_t i = 0; i < kEntryBytes; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    }
    return bytes;
}

std::vector<HWND> decode(const std::vector<BYTE>& bytes) {
    std::vector<HWND> windows;
    for (size_t at = 0; at + kEntryBytes <= bytes.size(); at += kEntryBytes) {
        std::uint64_t value = 0;
        for (size_t i = 0; i < kEntryBytes; ++i) value |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
        windows.push_back(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)));
    }
    return windows;
}

// Rewrites the whole value; an empty record is never stored. True when the
// registry now holds exactly this list.
bool writeRecord(const std::vector<HWND>& windows) {
    RegistryKey key;
    if (key.openForWrite(kSettingsKeyPath) != ERROR_SUCCESS) return false;
    if (windows.empty()) {
        const LONG result = deleteValue(key.get(), kValueHiddenOverlays);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    return writeBinary(key.get(), kValueHiddenOverlays, encode(windows)) == ERROR_SUCCESS;
}

}  // namespace

std::vector<HWND> readHiddenOverlayRecord() {
    RegistryKey key;
    if (key.openForRead(kSettingsKeyPath) != ERROR_SUCCESS) return {};
    const auto bytes = readBinary(key.get(), kValueHiddenOverlays);
    // Anything else is not ours to interpret: it reads as no record and stays.
    if (!bytes || bytes->size() < kEntryBytes || bytes->size() % kEntryBytes != 0) return {};
    return decode(*bytes);
}

bool addToHiddenOverlayRecord(HWND window) {
    std::vector<HWND> windows = readHiddenOverlayRecord();
    if (std::find(windows.begin(), windows.end(), window) != windows.end()) return true;
    windows.push_back(window);
    return writeRecord(windows);
}

void removeFromHiddenOverlayRecord(HWND window) {
    std::vector<HWND> windows = readHiddenOverlayRecord();
    std::erase(windows, window);
    writeRecord(windows);
}

void deleteHiddenOverlayRecord() {
    RegistryKey key;
    if (key.openForWrite(kSettingsKeyPath) == ERROR_SUCCESS) deleteValue(key.get(), kValueHiddenOverlays);
}

void showHiddenWindowAgain(HWND window) {
    if (IsWindow(window)) ShowWindowAsync(window, SW_SHOWNOACTIVATE);
}

void restorePreviousRunOverlays() {
    const std::vector<HWND> windows = readHiddenOverlayRecord();
    if (windows.empty()) return;
    for (HWND window : windows) showHiddenWindowAgain(window);
    deleteHiddenOverlayRecord();
    logLine(logtext::restoredOverlays);
}
