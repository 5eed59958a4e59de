#include <gtest/gtest.h>

#include <cstdlib>

// A test that ends its program as the code under test could (an _Exit with status 0): the
// runner must count the program failed, however it ended.
TEST(PrematureExitProbe, EndsItsProgramBeforeTheSummary) {
    std::_Exit(0);
}
