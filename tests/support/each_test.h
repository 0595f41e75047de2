#pragma once
// With --results=FOLDER all tests run in this one process, and each leaves a
// file there with its outcome for ctest to report as a test of its own: a
// Wine process costs about as much as a short test.

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/test_env.h"

namespace eachtest {

class ResultFiles : public testing::EmptyTestEventListener {
public:
    // A test still running after 90 s is marked failed and ends the run
    // (as ctest's time limit did for a test in a process of its own), which
    // counts as done so that ctest reports each test, the rest as not run.
    explicit ResultFiles(std::string folder) : folder_(std::move(folder)) {
        // The watch outlives this listener, which the test framework deletes
        // as the process ends while the watch still runs.
        std::thread([folder = folder_, running = running_] {
            for (;; Sleep(1000)) {
                const ULONGLONG started = running->started;
                if (started && GetTickCount64() - started > 90000) {
                    std::ofstream(folder + "/" + running->file) << "[  FAILED  ] " << running->name << " (over 90 s)\n";
                    ExitProcess(0);
                }
            }
        }).detach();
    }
    void OnTestStart(const testing::TestInfo& test) override {
        running_->name = running_->file = std::string(test.test_suite_name()) + "." + test.name();
        for (char& c : running_->file) c = c == '/' ? '~' : c;
        running_->started = GetTickCount64();
    }
    void OnTestPartResult(const testing::TestPartResult& part) override {
        if (part.file_name()) parts_ << part.file_name() << ":" << part.line_number() << ": ";
        parts_ << (part.skipped() ? "Skipped\n" : "Failure\n") << part.message() << "\n";
    }
    void OnTestEnd(const testing::TestInfo& test) override {
        running_->started = 0;
        const testing::TestResult& result = *test.result();
        const char* mark = result.Skipped() ? "[  SKIPPED ] " : result.Failed() ? "[  FAILED  ] " : "[       OK ] ";
        std::ofstream(folder_ + "/" + running_->file)
            << parts_.str() << mark << running_->name << " (" << result.elapsed_time() << " ms)\n";
        parts_.str("");
    }

private:
    // The test under way, for the watch; never freed.
    struct Running {
        std::atomic<ULONGLONG> started{0};
        std::string name, file;
    };
    std::string folder_;
    Running* running_ = new Running;
    std::ostringstream parts_;
};

// True when the arguments hold --results=FOLDER: the folder is then emptied
// and every test's outcome goes there.
inline bool reportEachTest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i], flag = "--results=";
        if (arg.rfind(flag, 0) != 0) continue;
        const std::wstring folder(arg.begin() + flag.size(), arg.end());
        testenv::removeTree(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        testing::UnitTest::GetInstance()->listeners().Append(new ResultFiles(arg.substr(flag.size())));
        return true;
    }
    return false;
}

}  // namespace eachtest
