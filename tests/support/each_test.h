#pragma once
// With --results=FOLDER all tests run in this one process, and each leaves a
// file there with its outcome for ctest to report as a test of its own: a
// Wine process costs about as much as a short test.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/test_env.h"

namespace eachtest {

class ResultFiles : public testing::EmptyTestEventListener {
public:
    explicit ResultFiles(std::string folder) : folder_(std::move(folder)) {}
    void OnTestPartResult(const testing::TestPartResult& part) override {
        if (part.file_name()) parts_ << part.file_name() << ":" << part.line_number() << ": ";
        parts_ << (part.skipped() ? "Skipped\n" : "Failure\n") << part.message() << "\n";
    }
    void OnTestEnd(const testing::TestInfo& test) override {
        std::string name = std::string(test.test_suite_name()) + "." + test.name(), file = name;
        for (char& c : file) c = c == '/' ? '~' : c;
        const testing::TestResult& result = *test.result();
        std::ofstream(folder_ + "/" + file) << parts_.str()
                                            << (result.Skipped()  ? "[  SKIPPED ] "
                                                : result.Failed() ? "[  FAILED  ] "
                                                                  : "[       OK ] ")
                                            << name << " (" << result.elapsed_time() << " ms)\n";
        parts_.str("");
    }

private:
    std::string folder_;
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
