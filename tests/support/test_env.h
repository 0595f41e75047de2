#pragma once

#include <windows.h>

#include <map>
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

// A value as stored: its type and bytes.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue& o) const { return type == o.type && bytes == o.bytes; }
};
// Every value of a key (by default the settings key), by name; none when it is absent.
std::map<std::wstring, RawValue> values(const wchar_t* key = nullptr);
bool keyExists(const wchar_t* key = nullptr);
void writeValue(const wchar_t* name, const RawValue& value, const wchar_t* key = nullptr);

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
// One line as the log writes it, "[YYYY-MM-DD HH:MM:SS] message\r\n";
// ok when it has that form.
struct LogLine {
    bool ok = false;
    SYSTEMTIME stamp{};
    std::string message;
};
LogLine parseLogLine(const std::string& line);
// A local time in 100 ns units, for comparing stamps.
ULONGLONG ticks(const SYSTEMTIME& time);
// Text cut after each CR LF (a last piece without one kept as it is).
std::vector<std::string> splitLines(const std::string& text);
// The messages of a UTF-8 log's lines, without mark and stamps.
std::vector<std::string> logMessages(const std::wstring& path = logPath());
size_t countLogMessage(const std::string& message);

std::string narrow(const std::wstring& text);
std::wstring temporaryDirectory(const wchar_t* prefix);
void removeTree(const std::wstring& path);

}  // namespace testenv
