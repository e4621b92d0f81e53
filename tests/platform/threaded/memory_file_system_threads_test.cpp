// The in-memory file system is shared by a scan's two crawler threads and the executor;
// concurrent calls and open files must not race.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using namespace plat;

TEST(MemoryFileSystemThreads, ConcurrentWritersListersAndCopiesSeeWholeFiles) {
    MemoryFileSystem mem;
    FaultFileSystem fs(mem);  // the wrapper's counters are shared as well
    ASSERT_TRUE(mem.AddDirectory(u"/shared"));
    constexpr int kThreads = 4;
    constexpr int kFiles = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&fs, t] {
            const CString dir = CString::Format(u"/shared/t%i", t);
            EXPECT_TRUE(fs.CreateDirectory(dir));
            for (int i = 0; i < kFiles; ++i) {
                const CString path = CString::Format(u"%s/f%i", dir, i);
                EXPECT_TRUE(fstest::WriteFile(fs, path, "0123456789"));
                EXPECT_TRUE(fs.CopyFile(path, path + u".copy", nullptr, CopyOptions()));
                FindData fd;
                auto lister = fs.ListDirectory(u"/shared");
                while (lister && lister->Next(fd)) {
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) {
        const auto names = fstest::ListNames(mem, CString::Format(u"/shared/t%i", t));
        EXPECT_EQ(std::size_t(2 * kFiles), names.size());
        for (const auto& n : names) EXPECT_EQ("0123456789", mem.ReadAll(CString::Format(u"/shared/t%i/", t) + CString::FromUtf8(n)).value_or("?"));
    }
    EXPECT_EQ(std::uint64_t(kThreads * kFiles), fs.CallCount(FsOp::CopyFile));
}

}  // namespace
