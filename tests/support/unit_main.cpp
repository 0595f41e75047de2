#include <gtest/gtest.h>

#include "support/each_test.h"
#include "support/test_env.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const bool each = eachtest::reportEachTest(argc, argv);
    testenv::setUp();
    const int result = RUN_ALL_TESTS();
    testenv::tearDown();
    return each ? 0 : result;
}
