#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Process-wide test isolation: HKEY_CURRENT_USER is redirected to a scratch
// key and LOCALAPPDATA to a temporary folder, so a run on a real desktop
// never touches the user's own settings or log.
namespace testenv {

void setUp();     // once per test process, before the tests
void tearDown();  // once per test process, after the tests

// Points HKEY_CURRENT_USER at the scratch key again (after a test moved it).
void redirectRegistry();
// Deletes every value and subkey of the (redirected) settings key.
void clearSettingsKey();

std::optional<DWORD> readDword(const wchar_t* name, const wchar_t* key = nullptr);
void writeDword(const wchar_t* name, DWORD value, const wchar_t* key = nullptr);
void writeString(const wchar_t* name, const std::wstring& value, const wchar_t* key = nullptr);
void writeBinary(const wchar_t* name, const std::vector<BYTE>& data, const wchar_t* key = nullptr);
void deleteValue(const wchar_t* name, const wchar_t* key = nullptr);
bool valueExists(const wchar_t* name, const wchar_t* key = nullptr);

// The temporary LOCALAPPDATA folder and the log file in it.
std::wstring localAppData();
std::wstring logPath();
std::string readFileBytes(const std::wstring& path);
void deleteLog();
// Lines of the UTF-8 log without their time stamps, CR LF removed.
std::vector<std::string> logMessages();
size_t countLogMessage(const std::string& message);

std::string narrow(const std::wstring& text);
std::wstring temporaryDirectory(const wchar_t* prefix);
void removeTree(const std::wstring& path);

}  // namespace testenv
