#include "app/launch.h"

#include <windows.h>

#include "app/shell.h"
#include "app/texts.h"
#include "settings/registry.h"

namespace {

// A Run value longer than this reads as off.
constexpr DWORD kRunValueMaxBytes = 2046;
constexpr DWORD kModulePathBuffer = 520;
constexpr size_t kLongestPath = 32768;

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
        // A path that cannot be read whole would start nothing: write none.
        const std::wstring path = getModulePath();
        if (!path.empty()) writeString(key.get(), kRunValueName, L"\"" + path + L"\"");
    } else {
        deleteValue(key.get(), kRunValueName);
    }
}

std::wstring readWholePath(const std::function<DWORD(wchar_t*, DWORD)>& read) {
    // Long paths are allowed, so grow until the whole path fits: a cut one
    // fills the buffer. Empty when it cannot be read whole.
    std::wstring path(kModulePathBuffer, L'\0');
    for (;;) {
        const DWORD length = read(path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 2);
    }
}

std::wstring getModulePath() {
    return readWholePath([](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
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
    showInformationBox(text::wholeScreenTip, text::appName);
}
