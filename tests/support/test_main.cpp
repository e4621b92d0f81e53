// The main function of every test executable: the project's test environment, then
// GoogleTest. ctest passes only LANG to the tests (gtest_discover_tests keeps one
// environment entry), so the rest is set here before any test runs: GUI tests render on
// Qt's offscreen platform, and the test data folder is known to every test.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifdef WK_TEST_DATA_DIR
    setenv("WK_TEST_DATA", WK_TEST_DATA_DIR, 0);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
