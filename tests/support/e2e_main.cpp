// The end-to-end tests start the real program, which reads and writes the
// real HKEY_CURRENT_USER. The user's own settings key is moved aside for the
// run and put back afterwards, so a run on a real desktop changes nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/shell.h"
#include "settings/settings.h"
#include "support/each_test.h"
#include "support/test_env.h"

namespace {

constexpr wchar_t kTestsKey[] = L"Software\\ClearpaneTests";
constexpr wchar_t kBackupKey[] = L"Software\\ClearpaneTests\\e2e-user-settings";
// The settings key's parent, the maker's key.
const std::wstring kMakerKey(kSettingsKeyPath, std::wstring_view(kSettingsKeyPath).rfind(L'\\'));

bool copyKey(const wchar_t* from, const wchar_t* to) {
    HKEY source = nullptr, target = nullptr;
    bool ok = RegOpenKeyExW(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) == ERROR_SUCCESS &&
              RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
                  ERROR_SUCCESS &&
              RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
    if (source) RegCloseKey(source);
    if (target) RegCloseKey(target);
    return ok;
}

// An existing backup means an earlier run died before restoring: it still
// holds the user's settings, and the current key is that run's leftovers.
bool setAsideUserSettings() {
    if (!testenv::keyExists(kBackupKey) && testenv::keyExists(kSettingsKeyPath)) {
        if (!copyKey(kSettingsKeyPath, kBackupKey)) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
            return false;
        }
    }
    const LONG deleted = RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool restoreUserSettings(bool makerKeyExisted) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    bool ok = true;
    if (testenv::keyExists(kBackupKey)) {
        ok = copyKey(kBackupKey, kSettingsKeyPath);
        if (ok) RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
    }
    // RegDeleteKeyW removes only empty keys, so others' data stays.
    if (!makerKeyExisted) RegDeleteKeyW(HKEY_CURRENT_USER, kMakerKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestsKey);
    return ok;
}

bool clearpaneIsRunning() {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName);
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const bool each = eachtest::reportEachTest(argc, argv);
    if (clearpaneIsRunning()) {
        std::fprintf(stderr, "Clearpane is running; quit it before the end-to-end tests.\n");
        return 1;
    }
    const bool makerKeyExisted = testenv::keyExists(kMakerKey.c_str());
    if (!setAsideUserSettings()) {
        std::fprintf(stderr, "Could not set the user's Clearpane settings aside; nothing was run.\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    if (!restoreUserSettings(makerKeyExisted)) {
        std::fprintf(stderr, "Could not restore the user's Clearpane settings; they remain in HKCU\\%ls.\n",
                     kBackupKey);
        return 1;
    }
    return each ? 0 : result;
}
