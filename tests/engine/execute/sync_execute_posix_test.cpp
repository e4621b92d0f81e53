// Execution over real temporary directories: what lands on disk (contents, times, modes,
// no temporary files left) with both copy routines, and a file changed after the plan
// was made is not overwritten.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "platform/core/file_system.h"
#include "tests/engine/support/execution_fixture.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"

namespace {

namespace stdfs = std::filesystem;

struct Preferences : Core::Preferences {
    bool ownCopy = false;
    bool GetCopyTraditional() const override { return ownCopy; }
};

bool HasTemporary(const stdfs::path& root) {
    for (const auto& e : stdfs::recursive_directory_iterator(root)) {
        if (e.path().filename().string().starts_with(".wk~")) return true;
    }
    return false;
}

TEST(ExecutePosixTest, CopiesATreeWithTimesAndModes) {
    for (const bool ownCopy : {true, false}) {
        SCOPED_TRACE(ownCopy ? "own copy" : "system copy");
        TempDir left, right;
        left.WriteFile("docs/a.txt", "alpha");
        left.WriteFile("docs/deep/b.bin", std::string(300000, 'b'));
        left.WriteFile("run.sh", "#!/bin/sh\n");
        left.WriteFile("empty", "");
        stdfs::permissions(left.Path("run.sh"), stdfs::perms(0750));
        stdfs::permissions(left.Path("docs/deep"), stdfs::perms(0700));
        const auto old = stdfs::file_time_type::clock::now() - std::chrono::hours(48);
        stdfs::last_write_time(left.Path("docs/a.txt"), old);
        // A file on the right that is replaced, one directory that a file replaces.
        right.WriteFile("run.sh", "old");
        right.MakeDirectory("empty");

        Preferences prefs;
        prefs.ownCopy = ownCopy;
        ExecutionFixture plan(plat::PosixFs(), left.Root(), right.Root());
        plan.db.SetPreferences(&prefs);
        for (const char* p : {"docs", "docs/a.txt", "docs/deep", "docs/deep/b.bin", "run.sh", "empty"})
            plan.Entry(p, CP_M);
        plan.Build();
        ScriptedWatcher watcher;
        EXPECT_EQ(plan.Execute(watcher), RUN_FINISHED);
        EXPECT_TRUE(watcher.Questions().empty());

        EXPECT_EQ(right.ReadFile("docs/a.txt"), "alpha");
        EXPECT_EQ(right.ReadFile("docs/deep/b.bin"), std::string(300000, 'b'));
        EXPECT_EQ(right.ReadFile("run.sh"), "#!/bin/sh\n");
        EXPECT_TRUE(stdfs::is_regular_file(right.Path("empty")));
        // Times are kept to the stamp's 100 ns.
        const auto delta = stdfs::last_write_time(right.Path("docs/a.txt")) - stdfs::last_write_time(left.Path("docs/a.txt"));
        EXPECT_LT(std::chrono::abs(delta), std::chrono::nanoseconds(100));
        EXPECT_EQ(stdfs::status(right.Path("run.sh")).permissions(), stdfs::perms(0750));
        EXPECT_EQ(stdfs::status(right.Path("docs/deep")).permissions(), stdfs::perms(0700));
        EXPECT_FALSE(HasTemporary(right.Path()));
        for (const ProxyEntry& e : plan.proxy.Entries()) {
            EXPECT_EQ(e.node->record.ST, DONE);
            EXPECT_TRUE(e.node->record.db);
        }
    }
}

TEST(ExecutePosixTest, AFileChangedAfterThePlanIsNotOverwritten) {
    TempDir left, right;
    left.WriteFile("notes.txt", "from the left");
    right.WriteFile("notes.txt", "seen by the scan");
    right.WriteFile("gone.txt", "seen by the scan");
    ExecutionFixture plan(plat::PosixFs(), left.Root(), right.Root());
    FSTreeNode* copy = plan.Entry("notes.txt", CP_M);
    FSTreeNode* del = plan.Entry("gone.txt", DEL_S);
    plan.Build();
    // The user saves both files again after the scan.
    right.WriteFile("notes.txt", "typed after the scan");
    right.WriteFile("gone.txt", "typed after the scan");
    const auto later = stdfs::file_time_type::clock::now() + std::chrono::seconds(5);
    stdfs::last_write_time(right.Path("notes.txt"), later);
    stdfs::last_write_time(right.Path("gone.txt"), later);

    ScriptedWatcher watcher;
    EXPECT_EQ(plan.Execute(watcher), RUN_FINISHED_WITH_ERRORS);
    EXPECT_EQ(copy->record.ST, FAILED);
    EXPECT_EQ(del->record.ST, FAILED);
    EXPECT_EQ(right.ReadFile("notes.txt"), "typed after the scan");
    EXPECT_EQ(right.ReadFile("gone.txt"), "typed after the scan");
    EXPECT_FALSE(HasTemporary(right.Path()));
    ASSERT_EQ(plan.log.entries.size(), 2u);
    for (const ErrorInfo& e : plan.log.entries) {
        EXPECT_EQ(e.category, ERROR_CATEGORY_PROGRAM);
        EXPECT_EQ(e.code, ERRCODE_CHANGED_SINCE_SCAN);
    }
}

// Times beyond the stamp's range and finer than it (staged on tmpfs, which holds every
// 64-bit time): the scan's stamps saturate at FILETIME's ends instead of wrapping to a
// time before 1970, and every copy (own, system, and the system copy over a directory of
// the same name) gives the target exactly the source's own times; the next scan sees both
// sides equal.
TEST(ExecutePosixTest, CopiesKeepExactlyTheSourcesTimesBeyondTheStampsRange) {
    if (!stdfs::is_directory("/dev/shm")) GTEST_SKIP() << "no tmpfs at /dev/shm";
    ScopedEnvVar tmp("TMPDIR", "/dev/shm");
    const struct {
        const char* name;
        std::int64_t seconds;
        long nanoseconds;
        FileTime stamp;
    } files[] = {
        {"after-30828", 1831249900800, 999999999, kMaxFileTime},  // 60000-01-01
        {"nanoseconds", 1700000000, 123456789,
         kUnixEpochAsFileTime + 1700000000ULL * kFileTimeUnitsPerSecond + 1234567},
        {"before-1601", -30610224000, 5, 0},  // 1000-01-01
    };
    for (const bool ownCopy : {true, false}) {
        SCOPED_TRACE(ownCopy ? "own copy" : "system copy");
        TempDir left, right;
        for (const auto& f : files) {
            left.WriteFile(f.name, f.name);
            const struct timespec times[2] = {{static_cast<time_t>(f.seconds), f.nanoseconds},
                                              {static_cast<time_t>(f.seconds), f.nanoseconds}};
            ASSERT_EQ(::utimensat(AT_FDCWD, left.Path(f.name).c_str(), times, 0), 0);
            struct stat st {};
            ASSERT_EQ(::stat(left.Path(f.name).c_str(), &st), 0);
            if (st.st_mtim.tv_sec != f.seconds) GTEST_SKIP() << "the file system does not hold " << f.name;
        }
        right.MakeDirectory("nanoseconds");  // replaced by the file: the copy over a directory

        Preferences prefs;
        prefs.ownCopy = ownCopy;
        CSyncDataBase db(nullptr);
        db.SetPreferences(&prefs);
        ErrorInfo error;
        ASSERT_EQ(db.Create(left.Root(), right.Root(), error), 0);
        Proxy proxy;
        ScriptedWatcher watcher;
        ASSERT_EQ(db.Scan(&proxy, &watcher.watcher, false), 0u);
        for (const ProxyEntry& e : proxy.Entries()) {
            for (const auto& f : files) {
                if (e.node->record.GetPath() != CString::ToUpper(CString::FromUtf8(f.name).view())) continue;
                ASSERT_NE(e.node->record.left, nullptr);
                EXPECT_EQ(e.node->record.left->lastWriteTime, f.stamp) << f.name;
            }
            e.node->record.AC = CP_M;  // the directory on the right is replaced
        }
        ASSERT_EQ(db.Execute(proxy, watcher.watcher), RUN_FINISHED);
        for (const auto& f : files) {
            struct stat st {};
            ASSERT_EQ(::stat(right.Path(f.name).c_str(), &st), 0) << f.name;
            EXPECT_TRUE(S_ISREG(st.st_mode)) << f.name;
            EXPECT_EQ(st.st_mtim.tv_sec, f.seconds) << f.name;
            EXPECT_EQ(st.st_mtim.tv_nsec, f.nanoseconds) << f.name;
        }
        ASSERT_EQ(db.Scan(&proxy, &watcher.watcher, false), 0u);
        for (const ProxyEntry& e : proxy.Entries())
            EXPECT_EQ(e.node->record.AC, EQUAL) << e.node->record.GetPath().ToUtf8();
    }
}

}  // namespace
