// CopyFile on the real and the in-memory file system: contents, mode and times arrive
// through a temporary file; a cancel or a failure leaves the old target as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/core/file_system.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"
#include "tests/support/env_var.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat;
using fstest::HasTemporary;
using fstest::ReadFile;
using fstest::WriteFile;

constexpr FileTime kSourceTime = 132900000000000000ULL;

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

template <typename Env>
class CopyFileTest : public ::testing::Test {
protected:
    FileSystem& fs() { return env_.fs(); }
    CString P(std::u16string_view rel) const { return env_.root() + u"/" + rel; }
    // The source "src" (size bytes, mode 0640, a fixed mtime) and an old target "dst".
    void MakeSourceAndTarget(std::size_t size) {
        source_ = Pattern(size);
        ASSERT_TRUE(WriteFile(fs(), P(u"src"), source_, 0640));
        ASSERT_TRUE(fs().SetPermissions(P(u"src"), 0640));
        ASSERT_TRUE(fs().SetFileTimes(P(u"src"), nullptr, &kSourceTime, &kSourceTime));
        ASSERT_TRUE(WriteFile(fs(), P(u"dst"), "old target", 0600));
        ASSERT_TRUE(fs().GetFindData(P(u"dst"), oldTarget_));
    }
    // The target is exactly as before and no temporary file is left.
    void ExpectTargetUntouched() {
        EXPECT_EQ("old target", ReadFile(fs(), P(u"dst")).value_or("?"));
        FindData now;
        ASSERT_TRUE(fs().GetFindData(P(u"dst"), now));
        EXPECT_EQ(oldTarget_.mode, now.mode);
        EXPECT_EQ(oldTarget_.lastWriteTime, now.lastWriteTime);
        EXPECT_FALSE(HasTemporary(fs(), env_.root()));
    }
    Env env_;
    std::string source_;
    FindData oldTarget_;
};

TYPED_TEST_SUITE(CopyFileTest, fstest::Envs, fstest::EnvNames);

TYPED_TEST(CopyFileTest, CopiesContentsModeAndTimesWithIncreasingProgress) {
    struct Case {
        std::size_t size;
        bool kernel;
    };
    for (const Case c : {Case{100000, true}, Case{100000, false}, Case{4096, true}, Case{0, true}, Case{0, false}}) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, kernel copy " << c.kernel);
        this->MakeSourceAndTarget(c.size);
        std::vector<std::uint64_t> seen;
        const CopyProgress progress = [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(c.size, total);
            seen.push_back(done);
            return true;
        };
        CopyOptions options;
        options.kernelCopy = c.kernel;
        options.bufferSize = 4096;
        ASSERT_TRUE(this->fs().CopyFile(this->P(u"src"), this->P(u"dst"), progress, options)) << GetLastError();
        EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dst")).value_or("?"));
        FindData fd;
        ASSERT_TRUE(this->fs().GetFindData(this->P(u"dst"), fd));
        EXPECT_EQ(0640u, fd.mode);
        EXPECT_EQ(kSourceTime, fd.lastWriteTime);
        EXPECT_EQ(c.size, fd.Size());
        EXPECT_EQ((c.size + 4095) / 4096, seen.size()) << "one call per chunk";
        for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i - 1], seen[i]);
        if (!seen.empty()) {
            EXPECT_EQ(c.size, seen.back());
        }
        EXPECT_FALSE(HasTemporary(this->fs(), this->env_.root()));
        ASSERT_TRUE(this->fs().DeleteFile(this->P(u"dst")));
        ASSERT_TRUE(this->fs().DeleteFile(this->P(u"src")));
    }
}

TYPED_TEST(CopyFileTest, ACopyIntoAMissingTargetCreatesIt) {
    this->MakeSourceAndTarget(10);
    ASSERT_TRUE(this->fs().CopyFile(this->P(u"src"), this->P(u"fresh"), nullptr, CopyOptions()));
    EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"fresh")).value_or("?"));
}

TYPED_TEST(CopyFileTest, ACancelLeavesTheOldTarget) {
    this->MakeSourceAndTarget(50000);
    int calls = 0;
    CopyOptions options;
    options.bufferSize = 8192;
    EXPECT_FALSE(this->fs().CopyFile(this->P(u"src"), this->P(u"dst"),
                                     [&](std::uint64_t, std::uint64_t) { return ++calls < 3; }, options));
    EXPECT_EQ(win32::ERROR_REQUEST_ABORTED, GetLastError());
    EXPECT_EQ(3, calls) << "no chunk after the cancel";
    this->ExpectTargetUntouched();
}

// The caller's last look before the rename, and a rename that must not replace.
TYPED_TEST(CopyFileTest, BeforeRenameAndNoReplaceKeepTheTarget) {
    struct Case {
        const char* name;
        bool replace;
        bool hookAnswer;
        bool copied;
        std::uint32_t code;
    };
    for (const Case c : {Case{"no replace", false, true, false, win32::ERROR_ALREADY_EXISTS},
                         Case{"refused at the last moment", true, false, false, win32::ERROR_REQUEST_ABORTED},
                         Case{"allowed", true, true, true, 0}}) {
        SCOPED_TRACE(c.name);
        this->MakeSourceAndTarget(3000);
        int looks = 0;
        CopyOptions options;
        options.replaceExisting = c.replace;
        options.beforeRename = [&] {
            ++looks;
            // The temporary file is complete when the caller looks.
            if (!c.hookAnswer) SetLastError(win32::ERROR_REQUEST_ABORTED);
            return c.hookAnswer;
        };
        EXPECT_EQ(this->fs().CopyFile(this->P(u"src"), this->P(u"dst"), nullptr, options), c.copied);
        EXPECT_EQ(looks, 1);
        if (c.copied) {
            EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dst")).value_or("?"));
            EXPECT_FALSE(HasTemporary(this->fs(), this->env_.root()));
        } else {
            EXPECT_EQ(c.code, GetLastError());
            this->ExpectTargetUntouched();
        }
        ASSERT_TRUE(this->fs().DeleteFile(this->P(u"dst")));
        ASSERT_TRUE(this->fs().DeleteFile(this->P(u"src")));
    }
}

TYPED_TEST(CopyFileTest, LinksAtSourceOrTargetAreNeverFollowed) {
    this->MakeSourceAndTarget(20);
    ASSERT_TRUE(WriteFile(this->fs(), this->P(u"elsewhere"), "not to be touched"));
    this->env_.Symlink(this->P(u"srclink"), u"src");
    this->env_.Symlink(this->P(u"dstlink"), u"elsewhere");

    EXPECT_FALSE(this->fs().CopyFile(this->P(u"srclink"), this->P(u"dst"), nullptr, CopyOptions()));
    EXPECT_EQ(win32::ERROR_CANT_RESOLVE_FILENAME, GetLastError());
    this->ExpectTargetUntouched();

    // A link at the target is replaced by the copy; what it pointed to stays as it was.
    ASSERT_TRUE(this->fs().CopyFile(this->P(u"src"), this->P(u"dstlink"), nullptr, CopyOptions()));
    FindData fd;
    ASSERT_TRUE(this->fs().GetFindData(this->P(u"dstlink"), fd));
    EXPECT_EQ(EntryKind::File, fd.kind);
    EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dstlink")).value_or("?"));
    EXPECT_EQ("not to be touched", ReadFile(this->fs(), this->P(u"elsewhere")).value_or("?"));
}

TYPED_TEST(CopyFileTest, SourcesThatAreNoFilesAndDirectoryTargetsFail) {
    this->MakeSourceAndTarget(5);
    ASSERT_TRUE(this->fs().CreateDirectory(this->P(u"dir")));
    struct Case {
        const char16_t* from;
        const char16_t* to;
        std::uint32_t code;
    };
    const Case cases[] = {
        {u"missing", u"dst", 2},
        {u"nodir/missing", u"dst", 3},
        {u"dir", u"dst", 5},
        {u"src", u"dir", 5},
        {u"src", u"nodir/x", 3},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(this->fs().CopyFile(this->P(c.from), this->P(c.to), nullptr, CopyOptions()));
        EXPECT_EQ(c.code, GetLastError()) << CString(c.from).ToUtf8() << " -> " << CString(c.to).ToUtf8();
    }
    this->ExpectTargetUntouched();
    EXPECT_TRUE(fstest::ListNames(this->fs(), this->P(u"dir")).empty());
}

TYPED_TEST(CopyFileTest, AnInjectedFailureAtAnyStepLeavesTheOldTarget) {
    this->MakeSourceAndTarget(30000);
    FaultFileSystem faults(this->fs());
    CopyOptions options;
    options.bufferSize = 8192;
    struct Case {
        FsOp op;
        const char16_t* path;  // relative to the root
        std::uint32_t code;
        bool placed = false;  // the step after the rename: the copy stands, with the temporary mode
    };
    const Case cases[] = {
        // clang-format off
        {FsOp::OpenRead, u"src", 5},          {FsOp::CreateTemporaryBeside, u"dst", 112},
        {FsOp::FileRead, u"src", 1117},       {FsOp::FileWrite, u"dst", 112},
        {FsOp::FileSetTimes, u"dst", 5},      {FsOp::FileClose, u"dst", 112},
        {FsOp::MoveFile, u"dst", 5},          {FsOp::CopyFile, u"src", 5},
        {FsOp::SetPermissions, u"dst", 5, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.op));
        faults.FailOn(c.op, this->P(c.path), c.code);
        EXPECT_FALSE(faults.CopyFile(this->P(u"src"), this->P(u"dst"), nullptr, options));
        EXPECT_EQ(c.code, GetLastError());
        if (c.placed) {
            EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dst")).value_or("?"));
            FindData fd;
            ASSERT_TRUE(this->fs().GetFindData(this->P(u"dst"), fd));
            EXPECT_EQ(fd.mode, kTemporaryMode);
            EXPECT_FALSE(HasTemporary(this->fs(), this->env_.root()));
            ASSERT_TRUE(WriteFile(this->fs(), this->P(u"dst"), "old target", 0600));
            ASSERT_TRUE(this->fs().SetPermissions(this->P(u"dst"), this->oldTarget_.mode));
            ASSERT_TRUE(this->fs().SetFileTimes(this->P(u"dst"), nullptr, nullptr, &this->oldTarget_.lastWriteTime));
        } else {
            this->ExpectTargetUntouched();
        }
        faults.ClearFaults();
    }
    // A disk that fills up after 10000 bytes of the new file.
    faults.FailWriteAfter(this->P(u"dst"), 10000);
    EXPECT_FALSE(faults.CopyFile(this->P(u"src"), this->P(u"dst"), nullptr, options));
    EXPECT_EQ(win32::ERROR_DISK_FULL, GetLastError());
    this->ExpectTargetUntouched();
}

TYPED_TEST(CopyFileTest, FailingEveryCallInTurnNeverHarmsTheTarget) {
    this->MakeSourceAndTarget(20000);
    FaultFileSystem faults(this->fs());
    CopyOptions options;
    options.bufferSize = 8192;
    // Count the calls of a copy to a scratch target, then fail each of them in turn.
    const std::uint64_t before = faults.CallCount();
    ASSERT_TRUE(faults.CopyFile(this->P(u"src"), this->P(u"scratch"), nullptr, options));
    const std::uint64_t calls = faults.CallCount() - before;
    ASSERT_GT(calls, 8u);
    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE(n);
        faults.FailNthCall(n, 1117);
        if (faults.CopyFile(this->P(u"src"), this->P(u"dst"), nullptr, options)) {
            // Only a failed look at the target may be survived, and then the copy is whole.
            EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dst")).value_or("?"));
            ASSERT_TRUE(WriteFile(this->fs(), this->P(u"dst"), "old target", 0600));
            ASSERT_TRUE(this->fs().SetPermissions(this->P(u"dst"), this->oldTarget_.mode));
            ASSERT_TRUE(this->fs().SetFileTimes(this->P(u"dst"), nullptr, nullptr, &this->oldTarget_.lastWriteTime));
        } else if (n == calls) {
            // The last call gives the target its permission bits after the rename: the
            // complete copy is in place, with the temporary files' mode.
            EXPECT_EQ(1117u, GetLastError());
            EXPECT_EQ(this->source_, ReadFile(this->fs(), this->P(u"dst")).value_or("?"));
            FindData fd;
            ASSERT_TRUE(this->fs().GetFindData(this->P(u"dst"), fd));
            EXPECT_EQ(fd.mode, kTemporaryMode);
            EXPECT_FALSE(HasTemporary(this->fs(), this->env_.root()));
        } else {
            EXPECT_EQ(1117u, GetLastError());
            this->ExpectTargetUntouched();
        }
        faults.ClearFaults();
    }
    EXPECT_EQ(calls, faults.InjectedCount());
}

// Times as the file system holds them, to the nanosecond and beyond FILETIME's range
// (staged on tmpfs, which holds every 64-bit time): the stamp's FILETIME saturates, the
// copy keeps exactly the source's own values.
TEST(PosixCopy, ACopyKeepsExactlyTheSourcesTimes) {
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no tmpfs at /dev/shm";
    ScopedEnvVar tmp("TMPDIR", "/dev/shm");
    TempDir dir;
    const struct {
        const char* what;
        std::int64_t seconds;
        long nanoseconds;
        FileTime stamp;  // the FILETIME that GetFindData gives
    } cases[] = {
        {"nanoseconds", 1700000000, 123456789,
         kUnixEpochAsFileTime + 1700000000ULL * kFileTimeUnitsPerSecond + 1234567},
        {"year 1000, before 1601", -30610224000, 5, 0},
        {"a second after 30828", 910692730086, 0, kMaxFileTime},
        {"60000-01-01", 1831249900800, 999999999, kMaxFileTime},
    };
    for (const auto& c : cases) {
        for (const bool kernel : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.what << (kernel ? ", kernel copy" : ", read and write"));
            // Staged afresh each time: reading the source moves its access time.
            dir.WriteFile("src", "contents");
            const std::string src = dir.Path("src").string();
            const struct timespec times[2] = {{static_cast<time_t>(c.seconds), c.nanoseconds},
                                              {static_cast<time_t>(c.seconds), c.nanoseconds}};
            ASSERT_EQ(::utimensat(AT_FDCWD, src.c_str(), times, 0), 0);
            struct stat st {};
            ASSERT_EQ(::stat(src.c_str(), &st), 0);
            if (st.st_mtim.tv_sec != c.seconds || st.st_mtim.tv_nsec != c.nanoseconds)
                GTEST_SKIP() << "the file system does not hold this time";

            FindData fd;
            ASSERT_TRUE(PosixFs().GetFindData(dir.CPath("src"), fd));
            EXPECT_EQ(fd.lastWriteTime, c.stamp);
            EXPECT_EQ(fd.lastAccessTime, c.stamp);
            EXPECT_EQ(fd.lastWriteUnix, (UnixTime{c.seconds, static_cast<std::uint32_t>(c.nanoseconds)}));

            CopyOptions options;
            options.kernelCopy = kernel;
            ASSERT_TRUE(PosixFs().CopyFile(dir.CPath("src"), dir.CPath("dst"), nullptr, options)) << GetLastError();
            struct stat copied {};
            ASSERT_EQ(::stat(dir.Path("dst").string().c_str(), &copied), 0);
            EXPECT_EQ(copied.st_mtim.tv_sec, c.seconds);
            EXPECT_EQ(copied.st_mtim.tv_nsec, c.nanoseconds);
            EXPECT_EQ(copied.st_atim.tv_sec, c.seconds);
            EXPECT_EQ(copied.st_atim.tv_nsec, c.nanoseconds);
        }
    }
}

}  // namespace
