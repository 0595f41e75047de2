#include "app/launch.h"

#include <windows.h>

#include "app/texts.h"
#include "settings/registry.h"

namespace {

// A Run value longer than this reads as off.
constexpr DWORD kRunValueMaxBytes = 2046;
constexpr DWORD kModulePathBuffer = 520;

}  // namespace

bool isLaunchAtLoginEnabled() {
    RegistryKey key;
    if (key.openForRead(kRunKeyPath) != ERROR_SUCCESS) return false;
    return readString(key.get(), kRunValueName, kRunValueMaxBytes).has_value();
}

void setLaunchAtLogin(bool enable) {
    RegistryKey key;
    if (key.openForWrite(kRunKeyPath) != ERROR_SUCCESS) return;
    if (enable) {
        writeString(key.get(), kRunValueName, L"\"" + getModulePath() + L"\"");
    } else {
        deleteValue(key.get(), kRunValueName);
    }
}

std::wstring getModulePath() {
    wchar_t buffer[kModulePathBuffer] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, kModulePathBuffer);
    // A path that does not fit comes back cut, and its count includes no terminator.
    return std::wstring(buffer, length < kModulePathBuffer ? length : kModulePathBuffer - 1);
}

bool wholeScreenTipShown() {
    RegistryKey key;
    return key.openForRead(kSettingsKeyPath) == ERROR_SUCCESS && readDword(key.get(), kValueTipShown).value_or(0) != 0;
}

void showWholeScreenTip() {
    if (wholeScreenTipShown()) return;
    {
        // Written before the box: a program ended while it is open never shows it again.
        RegistryKey key;
        if (key.openForWrite(kSettingsKeyPath) == ERROR_SUCCESS) writeDword(key.get(), kValueTipShown, 1);
    }
    MessageBoxW(nullptr, text::wholeScreenTip, text::appName, MB_ICONINFORMATION);
}
