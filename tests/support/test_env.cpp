#include "support/test_env.h"

#include <cstdio>
#include <sstream>

#include "app/log.h"
#include "settings/settings.h"

namespace testenv {
namespace {

HKEY scratchRoot = nullptr;
std::wstring scratchPath;
std::wstring appDataDir;

HKEY openKey(const wchar_t* key, REGSAM access) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, 0, nullptr, 0, access,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return handle;
}

}  // namespace

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring temporaryDirectory(const wchar_t* prefix) {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    wchar_t name[64];
    wsprintfW(name, L"%s-%lu-%llu", prefix, GetCurrentProcessId(),
              static_cast<unsigned long long>(GetTickCount64()));
    std::wstring dir = std::wstring(base) + name;
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

void setUp() {
    wchar_t name[96];
    wsprintfW(name, L"Software\\ClearpaneTests\\run-%lu-%llu", GetCurrentProcessId(),
              static_cast<unsigned long long>(GetTickCount64()));
    scratchPath = name;
    RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &scratchRoot, nullptr);
    redirectRegistry();

    appDataDir = temporaryDirectory(L"clearpane-appdata");
    SetEnvironmentVariableW(L"LOCALAPPDATA", appDataDir.c_str());
    initLogLocation();
}

void redirectRegistry() { RegOverridePredefKey(HKEY_CURRENT_USER, scratchRoot); }

void tearDown() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (scratchRoot) {
        RegCloseKey(scratchRoot);
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath.c_str());
        scratchRoot = nullptr;
    }
    if (!appDataDir.empty()) removeTree(appDataDir);
}

void clearSettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
}

std::optional<DWORD> readDword(const wchar_t* name, const wchar_t* key) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, name, RRF_RT_ANY, &type,
                     &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

void writeDword(const wchar_t* name, DWORD value, const wchar_t* key) {
    if (HKEY handle = openKey(key, KEY_WRITE)) {
        RegSetValueExW(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(handle);
    }
}

void writeString(const wchar_t* name, const std::wstring& value, const wchar_t* key) {
    if (HKEY handle = openKey(key, KEY_WRITE)) {
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
}

void writeBinary(const wchar_t* name, const std::vector<BYTE>& data, const wchar_t* key) {
    if (HKEY handle = openKey(key, KEY_WRITE)) {
        RegSetValueExW(handle, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(handle);
    }
}

void deleteValue(const wchar_t* name, const wchar_t* key) {
    if (HKEY handle = openKey(key, KEY_WRITE)) {
        RegDeleteValueW(handle, name);
        RegCloseKey(handle);
    }
}

bool valueExists(const wchar_t* name, const wchar_t* key) {
    return RegGetValueW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, name, RRF_RT_ANY, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring localAppData() { return appDataDir; }

std::wstring logPath() { return appDataDir + L"\\Clearpane\\clearpane.log"; }

std::string readFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void deleteLog() { DeleteFileW(logPath().c_str()); }

std::vector<std::string> logMessages() {
    std::string bytes = readFileBytes(logPath());
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::vector<std::string> messages;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "[YYYY-MM-DD HH:MM:SS] " is 22 characters.
        messages.push_back(line.size() >= 22 ? line.substr(22) : line);
    }
    return messages;
}

size_t countLogMessage(const std::string& message) {
    size_t count = 0;
    for (const auto& line : logMessages()) count += line == message ? 1 : 0;
    return count;
}

}  // namespace testenv
