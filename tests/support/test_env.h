#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <ostream>
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
    static RawValue dword(DWORD value) { return of(REG_DWORD, value); }
    static RawValue qword(ULONGLONG value) { return of(REG_QWORD, value); }
    // With its terminating null, as the program writes strings.
    static RawValue sz(const std::wstring& text) {
        const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        return {REG_SZ, {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)}};
    }
    template <typename Number>
    static RawValue of(DWORD type, Number value) {
        const auto* bytes = reinterpret_cast<const BYTE*>(&value);
        return {type, {bytes, bytes + sizeof value}};
    }
};
inline void PrintTo(const RawValue& value, std::ostream* out) {
    *out << "type " << value.type << ",";
    for (BYTE b : value.bytes) *out << " " << static_cast<int>(b);
}
// The one reader of the registry: every value of a key (by default the
// settings key), by name; none when the key is absent.
std::map<std::wstring, RawValue> values(const wchar_t* key = nullptr);
std::optional<RawValue> value(const wchar_t* name, const wchar_t* key = nullptr);
// A REG_DWORD value of 4 bytes; nullopt for anything else.
std::optional<DWORD> readDword(const wchar_t* name, const wchar_t* key = nullptr);
bool keyExists(const wchar_t* key = nullptr);

// Writes the value, or deletes it for nullopt; the key is made when missing.
void writeValue(const wchar_t* name, const std::optional<RawValue>& value, const wchar_t* key = nullptr);
inline void writeDword(const wchar_t* name, DWORD value, const wchar_t* key = nullptr) {
    writeValue(name, RawValue::dword(value), key);
}
inline void deleteValue(const wchar_t* name, const wchar_t* key = nullptr) { writeValue(name, std::nullopt, key); }

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
