#include "app/log.h"

#include <windows.h>

#include <string>

std::wstring logFilePath;

namespace {

constexpr DWORD kLogPathBuffer = 520;
constexpr int kLineBuffer = 1024;

// Owns a file handle for the length of one line.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool writeAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

std::string toUtf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

void initLogLocation() {
    wchar_t buffer[kLogPathBuffer] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, kLogPathBuffer);
    const std::wstring base = (length >= 1 && length <= kLogPathBuffer - 1) ? std::wstring(buffer) : L".";
    const std::wstring directory = base + L"\\Clearpane";
    CreateDirectoryW(directory.c_str(), nullptr);
    logFilePath = directory + L"\\clearpane.log";
}

void logLine(std::wstring_view message) {
    if (logFilePath.empty()) return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring text(message);
    wchar_t line[kLineBuffer] = {};
    const int length = wsprintfW(line, L"[%04d-%02d-%02d %02d:%02d:%02d] %s\r\n", now.wYear, now.wMonth,
                                 now.wDay, now.wHour, now.wMinute, now.wSecond, text.c_str());
    if (length <= 0) return;

    // No sharing: the file is ours only for the moment of one line.
    FileHandle file(CreateFileW(logFilePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;

    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return;

    bool utf16 = false;
    if (size.QuadPart == 0) {
        static const unsigned char utf8Mark[] = {0xEF, 0xBB, 0xBF};
        if (!writeAll(file.get(), utf8Mark, sizeof utf8Mark)) return;
    } else {
        unsigned char head[2] = {};
        DWORD read = 0;
        if (!ReadFile(file.get(), head, sizeof head, &read, nullptr)) return;
        if (read == 2 && head[0] == 0xFE && head[1] == 0xFF) return;  // UTF-16 big-endian: refused
        utf16 = read == 2 && head[0] == 0xFF && head[1] == 0xFE;
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return;
    }

    if (utf16) {
        writeAll(file.get(), line, static_cast<DWORD>(length) * sizeof(wchar_t));
    } else {
        const std::string bytes = toUtf8(line, length);
        writeAll(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()));
    }
}
