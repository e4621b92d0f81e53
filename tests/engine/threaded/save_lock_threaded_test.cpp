// Two saves of one profile at once, on two threads as in two programs: the second waits for
// the save lock until the first has put its file in place, so neither takes the other's
// temporary file for a leftover, and both complete.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/format/signed_stream.h"
#include "platform/core/posix_file_system.h"
#include "tests/engine/support/byte_builder.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SaveLockThreaded, ASecondSaveWaitsForTheFirstAndNeitherIsDisturbed) {
    TempDir dir;
    const CString profile = dir.CPath("p.kem");
    SignedOFStream first(plat::PosixFs(), profile);
    ASSERT_TRUE(first.is_open());
    ASSERT_TRUE(first.Write("first", 5));
    ASSERT_TRUE(first.Flush());

    std::atomic<bool> secondOpened{false};
    bool secondSaved = false;
    std::thread other([&] {
        SignedOFStream second(plat::PosixFs(), profile);
        secondOpened = second.is_open();
        second.Write("second", 6);
        secondSaved = second.close();
    });
    // The second save cannot have its temporary file while the first holds the lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondOpened.load());
    ASSERT_TRUE(first.close());
    other.join();
    EXPECT_TRUE(secondOpened.load());
    EXPECT_TRUE(secondSaved);
    EXPECT_EQ(dir.ReadFile("p.kem"), kit::ByteBuilder().Raw("second").Sign().str());
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "p.kem");
}

}  // namespace
