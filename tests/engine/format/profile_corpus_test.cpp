// Replays the fuzz target's seed corpus (tests/data/profile-corpus) with the same checks,
// so that every build exercises the inputs the fuzzer starts from and the ones it found.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/engine/support/profile_load_check.h"

namespace {

TEST(ProfileCorpus, EveryInputPassesTheLoadChecks) {
    // WK_TEST_DATA when the environment has it, else beside this source file.
    const char* data = std::getenv("WK_TEST_DATA");
    const std::filesystem::path base =
        data ? std::filesystem::path(data) : std::filesystem::path(__FILE__).parent_path().parent_path() / "data";
    const std::filesystem::path dir = base / "profile-corpus";
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(kit::CheckProfileLoad(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
            << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0u);
}

}  // namespace
