#include <gtest/gtest.h>

#include "support/test_env.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testenv::setUp();
    const int result = RUN_ALL_TESTS();
    testenv::tearDown();
    return result;
}
