// The diagnostic log: exact bytes on disk, the encodings of existing files,
// sharing, and where initLogLocation puts the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/log.h"
#include "support/test_env.h"

namespace {

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::wstring kNonAscii = L"caf\u00e9 \u00b7";
const std::string kNonAsciiUtf8 = "caf\xC3\xA9 \xC2\xB7";

void writeFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool directoryExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::wstring fromUtf16Bytes(const std::string& bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

// Messages of a log that must be a mark followed by well-formed lines only.
std::vector<std::string> wellFormedMessages(const std::string& bytes) {
    std::vector<std::string> messages;
    EXPECT_EQ(bytes.substr(0, 3), kUtf8Mark);
    for (const std::string& line : testenv::splitLines(bytes.substr(3))) {
        const testenv::LogLine parsed = testenv::parseLogLine(line);
        EXPECT_TRUE(parsed.ok) << "malformed line: " << line;
        messages.push_back(parsed.message);
    }
    return messages;
}

class Log : public testing::Test {
protected:
    void SetUp() override {
        wchar_t directory[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, directory);
        savedDirectory_ = directory;
        ASSERT_EQ(logFilePath, testenv::logPath());
        testenv::deleteLog();
    }

    void TearDown() override {
        SetCurrentDirectoryW(savedDirectory_.c_str());
        SetEnvironmentVariableW(L"LOCALAPPDATA", testenv::localAppData().c_str());
        initLogLocation();
        EXPECT_EQ(logFilePath, testenv::logPath());
        testenv::deleteLog();
        for (const auto& dir : scratch_) testenv::removeTree(dir);
    }

    std::wstring scratchDirectory(const wchar_t* prefix) {
        scratch_.push_back(testenv::temporaryDirectory(prefix));
        return scratch_.back();
    }

    std::string log() const { return testenv::readFileBytes(testenv::logPath()); }

private:
    std::wstring savedDirectory_;
    std::vector<std::wstring> scratch_;
};

TEST_F(Log, NewFileIsMarkThenOneStampedLine) {
    SYSTEMTIME before{};
    GetLocalTime(&before);
    before.wMilliseconds = 0;  // the stamp has whole seconds
    logLine(L"started");
    SYSTEMTIME after{};
    GetLocalTime(&after);

    const std::string bytes = log();
    ASSERT_EQ(bytes.substr(0, 3), kUtf8Mark);
    const testenv::LogLine line = testenv::parseLogLine(bytes.substr(3));
    ASSERT_TRUE(line.ok) << bytes;
    EXPECT_EQ(line.message, "started");
    EXPECT_LE(testenv::ticks(before), testenv::ticks(line.stamp)) << "the stamp is local time, taken during the call";
    EXPECT_GE(testenv::ticks(after), testenv::ticks(line.stamp));
}

TEST_F(Log, LaterLinesAreAppendedWithoutASecondMark) {
    logLine(L"one");
    logLine(L"two");
    logLine(L"three");
    const std::string bytes = log();
    EXPECT_EQ(bytes.find(kUtf8Mark, 1), std::string::npos);
    EXPECT_EQ(wellFormedMessages(bytes), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(Log, NonAsciiIsWrittenAsUtf8) {
    const std::wstring pencil = L"\U0001F58A";  // a surrogate pair in UTF-16
    logLine(kNonAscii + L" " + pencil);
    EXPECT_EQ(wellFormedMessages(log()), std::vector<std::string>{kNonAsciiUtf8 + " \xF0\x9F\x96\x8A"});
}

TEST_F(Log, AppendsInTheEncodingOfTheExistingFile) {
    enum class Expect { Utf8, Utf16, Unchanged };
    const struct {
        const char* name;
        std::string initial;
        Expect expect;
    } cases[] = {
        {"UTF-8 mark", kUtf8Mark + "[2020-01-01 00:00:00] old\r\n", Expect::Utf8},
        {"no mark", "old text without mark\r\n", Expect::Utf8},
        {"a single byte", "A", Expect::Utf8},
        {"a single FE byte", "\xFE", Expect::Utf8},
        {"UTF-16 little-endian mark", "\xFF\xFE" + utf16Bytes(L"old\r\n"), Expect::Utf16},
        {"UTF-16 big-endian mark", std::string("\xFE\xFF\0o\0l\0d", 8), Expect::Unchanged},
        {"big-endian mark only", "\xFE\xFF", Expect::Unchanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(testenv::logPath(), c.initial);
        logLine(kNonAscii);

        const std::string bytes = log();
        ASSERT_EQ(bytes.substr(0, c.initial.size()), c.initial) << "existing bytes must stay";
        const std::string added = bytes.substr(c.initial.size());
        switch (c.expect) {
        case Expect::Unchanged:
            EXPECT_TRUE(added.empty()) << added;
            break;
        case Expect::Utf8: {
            const testenv::LogLine line = testenv::parseLogLine(added);
            EXPECT_TRUE(line.ok) << added;
            EXPECT_EQ(line.message, kNonAsciiUtf8);
            break;
        }
        case Expect::Utf16: {
            ASSERT_EQ(added.size() % 2, 0u);
            const testenv::LogLine line = testenv::parseLogLine(testenv::narrow(fromUtf16Bytes(added)));
            EXPECT_TRUE(line.ok) << testenv::narrow(fromUtf16Bytes(added));
            EXPECT_EQ(line.message, kNonAsciiUtf8);
            break;
        }
        }
        testenv::deleteLog();
    }
}

TEST_F(Log, DeletedFileIsRecreatedWithMark) {
    logLine(L"before");
    testenv::deleteLog();
    ASSERT_FALSE(fileExists(testenv::logPath()));
    logLine(L"after");
    EXPECT_EQ(wellFormedMessages(log()), std::vector<std::string>{"after"});
}

TEST_F(Log, EmptyFileGetsTheMark) {
    writeFileBytes(testenv::logPath(), "");
    logLine(L"first");
    EXPECT_EQ(wellFormedMessages(log()), std::vector<std::string>{"first"});
}

TEST_F(Log, LineIsDroppedWhileAnotherHandleHoldsTheFile) {
    const struct {
        const char* name;
        DWORD share;
    } holders[] = {
        {"no sharing", 0},
        // The log opens without sharing, so even a sharing reader blocks it.
        {"sharing reader", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.name);
        logLine(L"first");
        HANDLE held = CreateFileW(testenv::logPath().c_str(), GENERIC_READ, holder.share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        logLine(L"lost");
        CloseHandle(held);
        logLine(L"kept");
        EXPECT_EQ(wellFormedMessages(log()), (std::vector<std::string>{"first", "kept"}));
        testenv::deleteLog();
    }
}

TEST_F(Log, OverlongMessageIsCutNotOverrun) {
    logLine(std::wstring(3000, L'x'));
    logLine(L"next");
    const std::string bytes = log();
    ASSERT_EQ(bytes.substr(0, 3), kUtf8Mark);
    EXPECT_EQ(bytes.substr(3, 1), "[");
    // At most 1023 characters of the first line, then the next line whole.
    EXPECT_LE(bytes.size(), 3u + 1023u + 32u);
    EXPECT_NE(bytes.find("] next\r\n"), std::string::npos);
}

TEST_F(Log, NothingIsWrittenWithoutAPath) {
    const std::wstring saved = logFilePath;
    logFilePath.clear();
    logLine(L"nowhere");
    logFilePath = saved;
    EXPECT_FALSE(fileExists(testenv::logPath()));
}

TEST_F(Log, LocationComesFromLocalAppData) {
    const std::wstring appData = scratchDirectory(L"clearpane-logloc");
    const std::wstring current = scratchDirectory(L"clearpane-logcwd");
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    const std::wstring dot = L".\\Clearpane\\clearpane.log";
    const std::wstring longest = L"C:\\" + std::wstring(516, L'a');  // 519 characters still fit

    const struct {
        const char* name;
        bool set;
        std::wstring value;
        std::wstring expected;
    } cases[] = {
        {"a folder", true, appData, appData + L"\\Clearpane\\clearpane.log"},
        {"519 characters", true, longest, longest + L"\\Clearpane\\clearpane.log"},
        {"520 characters", true, longest + L"b", dot},
        {"600 characters", true, L"C:\\" + std::wstring(597, L'a'), dot},
        {"empty", true, L"", dot},
        {"unset", false, L"", dot},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetEnvironmentVariableW(L"LOCALAPPDATA", c.set ? c.value.c_str() : nullptr));
        initLogLocation();
        EXPECT_EQ(testenv::narrow(logFilePath), testenv::narrow(c.expected));
    }
    EXPECT_TRUE(directoryExists(appData + L"\\Clearpane"));
    EXPECT_TRUE(directoryExists(current + L"\\Clearpane")) << "\".\" is the current directory";

    // The dot path is used as it is: the line lands below the current directory.
    logLine(L"here");
    EXPECT_EQ(wellFormedMessages(testenv::readFileBytes(current + L"\\Clearpane\\clearpane.log")),
              std::vector<std::string>{"here"});
}

TEST_F(Log, ExistingFolderAndFileAreKept) {
    logLine(L"one");
    initLogLocation();
    ASSERT_EQ(logFilePath, testenv::logPath());
    logLine(L"two");
    EXPECT_EQ(wellFormedMessages(log()), (std::vector<std::string>{"one", "two"}));
}

TEST_F(Log, UncreatableFolderLeavesLoggingSilent) {
    const std::wstring base = scratchDirectory(L"clearpane-blocked");
    const std::wstring blocker = base + L"\\blocker";
    writeFileBytes(blocker, "not a folder");
    ASSERT_TRUE(SetEnvironmentVariableW(L"LOCALAPPDATA", (blocker + L"\\sub").c_str()));

    initLogLocation();
    EXPECT_EQ(logFilePath, blocker + L"\\sub\\Clearpane\\clearpane.log");
    logLine(L"nowhere");
    logLine(L"still nowhere");

    EXPECT_EQ(testenv::readFileBytes(blocker), "not a folder");
    EXPECT_FALSE(fileExists(logFilePath));
}

}  // namespace
