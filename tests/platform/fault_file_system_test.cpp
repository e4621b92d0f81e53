#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using namespace plat;

class FaultFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* p : {u"/d/a", u"/d/b", u"/d/c", u"/e/x"}) ASSERT_TRUE(mem_.AddFile(p, "data"));
    }
    MemoryFileSystem mem_;
    FaultFileSystem faults_{mem_};
};

TEST_F(FaultFileSystemTest, ACallFailsOnItsPathOnceOrAlways) {
    FindData fd;
    faults_.FailOn(FsOp::GetFindData, u"/d/a", 5);
    faults_.FailOn(FsOp::DeleteFile, u"/d/", 32, PathMatch::Prefix, Repeat::Always);

    EXPECT_TRUE(faults_.GetFindData(u"/d/b", fd)) << "another path";
    EXPECT_TRUE(faults_.GetFileAttributes(u"/d/a") != INVALID_FILE_ATTRIBUTES) << "another call";
    EXPECT_FALSE(faults_.GetFindData(u"/d/a", fd));
    EXPECT_EQ(win32::ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(faults_.GetFindData(u"/d/a", fd)) << "once";

    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(faults_.DeleteFile(u"/d/c"));
        EXPECT_EQ(win32::ERROR_SHARING_VIOLATION, GetLastError());
    }
    EXPECT_TRUE(mem_.Exists(u"/d/c")) << "a failed call does nothing";
    EXPECT_TRUE(faults_.DeleteFile(u"/e/x")) << "outside the prefix";
    EXPECT_EQ(4u, faults_.InjectedCount());

    faults_.ClearFaults();
    EXPECT_TRUE(faults_.DeleteFile(u"/d/c"));
}

TEST_F(FaultFileSystemTest, FileCallsAndBothPathsOfARenameAreMatched) {
    faults_.FailOn(FsOp::FileRead, u"/d/a", 1117);
    auto f = faults_.OpenRead(u"/d/a");
    ASSERT_TRUE(f);
    char buffer[8];
    std::size_t got = 99;
    EXPECT_FALSE(f->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(win32::ERROR_IO_DEVICE, GetLastError());
    EXPECT_EQ(0u, got);
    EXPECT_TRUE(f->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(4u, got);

    faults_.FailOn(FsOp::MoveFile, u"/e/new", 5);
    EXPECT_FALSE(faults_.MoveFile(u"/d/b", u"/e/new", false)) << "matched by its target";
    EXPECT_TRUE(mem_.Exists(u"/d/b"));
}

TEST_F(FaultFileSystemTest, TheNthCallFailsAndCallsAreCounted) {
    FindData fd;
    const std::uint64_t start = faults_.CallCount();
    faults_.FailNthCall(3, 112);
    EXPECT_TRUE(faults_.GetFindData(u"/d/a", fd));
    EXPECT_TRUE(faults_.GetFindData(u"/d/b", fd));
    EXPECT_FALSE(faults_.GetFindData(u"/d/c", fd));
    EXPECT_EQ(win32::ERROR_DISK_FULL, GetLastError());
    EXPECT_TRUE(faults_.GetFindData(u"/d/c", fd));
    EXPECT_EQ(start + 4, faults_.CallCount());
    EXPECT_EQ(4u, faults_.CallCount(FsOp::GetFindData));
    EXPECT_EQ(0u, faults_.CallCount(FsOp::DeleteFile));
}

TEST_F(FaultFileSystemTest, AWriteFailsBeyondItsLimitAfterWritingWhatFits) {
    faults_.FailWriteAfter(u"/e/out", 6);
    auto f = faults_.CreateFile(u"/e/out", CreateMode::CreateNew, 0644);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Write("abcd", 4));
    EXPECT_FALSE(f->Write("efgh", 4));
    EXPECT_EQ(win32::ERROR_DISK_FULL, GetLastError());
    EXPECT_FALSE(f->Write("i", 1)) << "the disk stays full";
    f->Close();
    EXPECT_EQ("abcdef", mem_.ReadAll(u"/e/out").value_or("?"));
}

TEST_F(FaultFileSystemTest, AListingFailsAtItsStartOrAfterSomeEntries) {
    faults_.FailOn(FsOp::ListDirectory, u"/d", 5);
    EXPECT_EQ(nullptr, faults_.ListDirectory(u"/d"));
    EXPECT_EQ(win32::ERROR_ACCESS_DENIED, GetLastError());

    faults_.FailListingAfter(u"/d", 3, 1117);
    auto lister = faults_.ListDirectory(u"/d");
    ASSERT_TRUE(lister);
    FindData fd;
    std::vector<std::string> names;
    while (lister->Next(fd)) names.push_back(fd.name.ToUtf8());
    EXPECT_EQ(win32::ERROR_IO_DEVICE, GetLastError());
    EXPECT_EQ(std::vector<std::string>({".", "..", "a"}), names);
    EXPECT_EQ(std::vector<std::string>({"x"}), fstest::ListNames(faults_, u"/e")) << "another directory";
}

}  // namespace

namespace {

TEST_F(FaultFileSystemTest, TheCallHookSeesEveryCallBeforeItRunsAndMayChangeTheTree) {
    std::vector<std::pair<FsOp, CString>> seen;
    faults_.SetCallHook([&](FsOp op, const CString& path) {
        seen.emplace_back(op, path);
        // Grows the file under the reader between its first and its second read.
        if (op == FsOp::FileRead && seen.size() == 3) {
            auto w = mem_.CreateFile(u"/d/a", CreateMode::CreateAlways, 0644);
            ASSERT_TRUE(w && w->Write("grown data", 10) && w->Close());
        }
    });
    faults_.FailNthCall(2, 5);
    auto f = faults_.OpenRead(u"/d/a");
    ASSERT_TRUE(f);
    char buffer[16];
    std::size_t got = 0;
    EXPECT_FALSE(f->Read(buffer, sizeof buffer, got)) << "a failed call is seen by the hook too";
    EXPECT_TRUE(f->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(std::string(buffer, got), "grown data");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, FsOp::OpenRead);
    EXPECT_EQ(seen[0].second, u"/d/a");
    EXPECT_EQ(seen[2].first, FsOp::FileRead);

    faults_.ClearFaults();
    faults_.SetCallHook({});
    EXPECT_TRUE(faults_.GetFileAttributes(u"/d/b") != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(seen.size(), 3u) << "removed";
}

}  // namespace
