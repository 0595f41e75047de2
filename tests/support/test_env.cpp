#include "support/test_env.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <regex>

#include "app/log.h"
#include "settings/settings.h"

namespace testenv {
namespace {

HKEY scratchRoot = nullptr;
std::wstring scratchPath;
std::wstring appDataDir;

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

std::map<std::wstring, RawValue> values(const wchar_t* key) {
    std::map<std::wstring, RawValue> found;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return found;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 8192;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        found[std::wstring(name, nameLength)] = {type, data};
    }
    RegCloseKey(handle);
    return found;
}

std::optional<RawValue> value(const wchar_t* name, const wchar_t* key) {
    const auto all = values(key);
    const auto found = all.find(name);
    return found == all.end() ? std::nullopt : std::optional(found->second);
}

std::optional<DWORD> readDword(const wchar_t* name, const wchar_t* key) {
    const auto stored = value(name, key);
    DWORD number = 0;
    if (!stored || stored->type != REG_DWORD || stored->bytes.size() != sizeof number) return std::nullopt;
    std::memcpy(&number, stored->bytes.data(), sizeof number);
    return number;
}

bool keyExists(const wchar_t* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

void writeValue(const wchar_t* name, const std::optional<RawValue>& value, const wchar_t* key) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key ? key : kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    if (value) {
        RegSetValueExW(handle, name, 0, value->type, value->bytes.data(), static_cast<DWORD>(value->bytes.size()));
    } else {
        RegDeleteValueW(handle, name);
    }
    RegCloseKey(handle);
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

LogLine parseLogLine(const std::string& line) {
    static const std::regex format(R"(\[(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})\] ([^\r\n]*)\r\n)");
    std::smatch match;
    LogLine parsed;
    if (!std::regex_match(line, match, format)) return parsed;
    parsed.ok = true;
    WORD* fields[] = {&parsed.stamp.wYear, &parsed.stamp.wMonth, &parsed.stamp.wDay,
                      &parsed.stamp.wHour, &parsed.stamp.wMinute, &parsed.stamp.wSecond};
    for (int i = 0; i < 6; ++i) *fields[i] = static_cast<WORD>(std::stoi(match[i + 1]));
    parsed.message = match[7];
    return parsed;
}

ULONGLONG ticks(const SYSTEMTIME& time) {
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file)) return 0;
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end) {
        end = std::min(text.find("\r\n", start), text.size() - 2) + 2;
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::vector<std::string> logMessages(const std::wstring& path) {
    std::string bytes = readFileBytes(path);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::vector<std::string> messages;
    for (const std::string& text : splitLines(bytes)) {
        const LogLine line = parseLogLine(text);
        messages.push_back(line.ok ? line.message : text);
    }
    return messages;
}

size_t countLogMessage(const std::string& message) {
    size_t count = 0;
    for (const auto& line : logMessages()) count += line == message ? 1 : 0;
    return count;
}

}  // namespace testenv
