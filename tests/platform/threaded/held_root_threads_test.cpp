// Holds of a root taken and released on one thread while others work below it (as the
// crawl's listing workers and a second hold by the executor do): every call below the
// root either is resolved from a held root or, between holds, by the kernel, and never
// sees a released descriptor (run under the thread sanitizer in CI).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/core/posix_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat;

void HoldAndWorkAtOnce(FileSystem& fs, const CString& root) {
    ASSERT_TRUE(fs.CreateDirectory(root + u"a"));
    ASSERT_TRUE(fs.CreateDirectory(root + u"a/b"));
    ASSERT_TRUE(fstest::WriteFile(fs, root + u"a/b/f", "bytes"));
    RootHold lasting(fs, root);  // the crawl's hold; the executor's comes and goes
    std::atomic<int> done{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            const CString mine = root + u"a/b/t" + CString::FromAscii(std::to_string(t));
            for (int i = 0; i < 300; ++i) {
                FindData fd;
                bool ok = fs.GetFindData(root + u"a/b/f", fd) && fs.ListDirectory(root + u"a/b") != nullptr &&
                          fstest::WriteFile(fs, mine, "x") && fs.MoveFile(mine, mine + u"m", true) &&
                          fs.DeleteFile(mine + u"m");
                if (!ok) ++failures;
            }
            ++done;
        });
    }
    while (done < 4) {
        RootHold again(fs, root);
        RootHold other(fs, root + u"a/");
    }
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(0, failures.load());
}

TEST(HeldRootThreads, HoldsComeAndGoWhileOtherThreadsWorkBelowTheRoot) {
    TempDir dir;
    PosixFileSystem fs;
    HoldAndWorkAtOnce(fs, dir.Root());
}

TEST(HeldRootThreads, TheSameInMemory) {
    MemoryFileSystem fs;
    ASSERT_TRUE(fs.AddDirectory(u"/r"));
    HoldAndWorkAtOnce(fs, u"/r/");
}

}  // namespace
