// Below a held root no call follows a symbolic link in any component: a directory of the
// tree replaced by a link to somewhere else (after a scan saw it) is never written,
// read, listed or renamed through. Each case runs on the real file system with openat2,
// on the real one walking one component at a time (the way without openat2), and in
// memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/core/posix_file_system.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat;
using fstest::ReadFile;
using fstest::WriteFile;

constexpr FileTime kTime = 133000000000000000ULL;

class RealEnv {
public:
    explicit RealEnv(PosixFileSystem::PathWalk walk) : fs_(walk), base_(dir_.CPath()) {}
    FileSystem& fs() { return fs_; }
    const CString& base() const { return base_; }
    void Symlink(const CString& path, const CString& target) {
        std::filesystem::create_symlink(target.ToUtf8(), path.ToUtf8());
    }
    void RemoveLink(const CString& path) { std::filesystem::remove(path.ToUtf8()); }

private:
    TempDir dir_;
    PosixFileSystem fs_;
    CString base_;
};

struct Openat2Env : RealEnv {
    Openat2Env() : RealEnv(PosixFileSystem::PathWalk::Automatic) {}
};
struct WalkEnv : RealEnv {
    WalkEnv() : RealEnv(PosixFileSystem::PathWalk::ComponentByComponent) {}
};

class MemoryEnv {
public:
    MemoryEnv() { mem_.AddDirectory(base_); }
    FileSystem& fs() { return mem_; }
    const CString& base() const { return base_; }
    void Symlink(const CString& path, const CString& target) { ASSERT_TRUE(mem_.AddSymlink(path, target)); }
    void RemoveLink(const CString& path) { ASSERT_TRUE(mem_.DeleteFile(path)); }

private:
    MemoryFileSystem mem_;
    CString base_ = u"/base";
};

// Every entry below dir with its kind, mode, size, time and bytes, one line each.
std::string Snapshot(FileSystem& fs, const CString& dir) {
    std::string out;
    auto lister = fs.ListDirectory(dir);
    if (!lister) return "(unlisted " + dir.ToUtf8() + ")\n";
    FindData fd;
    std::vector<FindData> entries;
    while (lister->Next(fd))
        if (!IsDotName(fd.name.view())) entries.push_back(fd);
    std::sort(entries.begin(), entries.end(), [](const FindData& a, const FindData& b) { return a.name < b.name; });
    for (const FindData& e : entries) {
        const CString path = dir + u"/" + e.name;
        out += path.ToUtf8() + " kind " + std::to_string(int(e.kind)) + " mode " + std::to_string(e.mode) + " size " +
               std::to_string(e.Size()) + " time " + std::to_string(e.lastWriteTime);
        if (e.kind == EntryKind::File) out += " '" + ReadFile(fs, path).value_or("?") + "'";
        out += "\n";
        if (e.kind == EntryKind::Directory) out += Snapshot(fs, path);
    }
    return out;
}

template <typename Env>
class HeldRoot : public ::testing::Test {
protected:
    FileSystem& fs() { return env_.fs(); }
    CString B(std::u16string_view rel) const { return env_.base() + u"/" + rel; }
    CString Root() const { return B(u"tree/"); }

    // tree/a/b/c/f and tree/ok/g; a decoy outside the tree with the same names.
    void Build() {
        for (const char16_t* d : {u"tree", u"tree/a", u"tree/a/b", u"tree/a/b/c", u"tree/a/b/c/empty", u"tree/ok",
                                  u"outside", u"outside/empty", u"outside/c", u"outside/c/empty"})
            ASSERT_TRUE(fs().CreateDirectory(B(d))) << B(d).ToUtf8();
        ASSERT_TRUE(WriteFile(fs(), B(u"tree/a/b/c/f"), "inside"));
        ASSERT_TRUE(WriteFile(fs(), B(u"tree/ok/g"), "ok"));
        ASSERT_TRUE(WriteFile(fs(), B(u"outside/f"), "outside"));
        ASSERT_TRUE(WriteFile(fs(), B(u"outside/c/f"), "outside"));
    }
    // The tree's directory b moved away and replaced by a link to the decoy.
    void SwapB() {
        ASSERT_TRUE(fs().MoveFile(B(u"tree/a/b"), B(u"moved-b"), false));
        env_.Symlink(B(u"tree/a/b"), B(u"outside"));
    }

    Env env_;
};

using Envs = ::testing::Types<Openat2Env, WalkEnv, MemoryEnv>;
class EnvNames {
public:
    template <typename T>
    static std::string GetName(int) {
        if (std::is_same_v<T, Openat2Env>) return "Openat2";
        if (std::is_same_v<T, WalkEnv>) return "ComponentWalk";
        return "Memory";
    }
};
TYPED_TEST_SUITE(HeldRoot, Envs, EnvNames);

TYPED_TEST(HeldRoot, EveryCallRefusesALinkInAnyComponentAndTouchesNothingBehindIt) {
    this->Build();
    if (this->HasFatalFailure()) return;
    this->SwapB();
    if (this->HasFatalFailure()) return;
    FileSystem& fs = this->fs();
    const CString ok = this->B(u"tree/ok/g");
    const CString templ = this->B(u"tree/ok");
    // Each call on an entry named below dir (the link itself, or a directory below it).
    struct Call {
        const char* what;
        std::function<bool(FileSystem&, const CString& dir)> run;
    };
    const Call calls[] = {
        {"list", [](FileSystem& f, const CString& d) { return f.ListDirectory(d + u"empty") != nullptr; }},
        {"stat",
         [](FileSystem& f, const CString& d) {
             FindData x;
             return f.GetFindData(d + u"f", x);
         }},
        {"attributes",
         [](FileSystem& f, const CString& d) { return f.GetFileAttributes(d + u"f") != INVALID_FILE_ATTRIBUTES; }},
        {"set read-only", [](FileSystem& f, const CString& d) { return f.SetFileAttributes(d + u"f", 1); }},
        {"set times",
         [](FileSystem& f, const CString& d) { return f.SetFileTimes(d + u"f", nullptr, &kTime, &kTime); }},
        {"set mode", [](FileSystem& f, const CString& d) { return f.SetPermissions(d + u"f", 0600); }},
        {"make directory", [](FileSystem& f, const CString& d) { return f.CreateDirectory(d + u"new"); }},
        {"make directory from template",
         [&](FileSystem& f, const CString& d) { return f.CreateDirectoryFromTemplate(d + u"new", templ); }},
        {"remove directory", [](FileSystem& f, const CString& d) { return f.RemoveDirectory(d + u"empty"); }},
        {"delete", [](FileSystem& f, const CString& d) { return f.DeleteFile(d + u"f"); }},
        {"rename from", [&](FileSystem& f, const CString& d) { return f.MoveFile(d + u"f", ok + u"2", false); }},
        {"rename over", [&](FileSystem& f, const CString& d) { return f.MoveFile(ok, d + u"f", true); }},
        {"rename into", [&](FileSystem& f, const CString& d) { return f.MoveFile(ok, d + u"new", false); }},
        {"open", [](FileSystem& f, const CString& d) { return f.OpenRead(d + u"f") != nullptr; }},
        {"write over",
         [](FileSystem& f, const CString& d) {
             return f.CreateFile(d + u"f", CreateMode::CreateAlways, 0644) != nullptr;
         }},
        {"create", [](FileSystem& f,
                      const CString& d) { return f.CreateFile(d + u"new", CreateMode::CreateNew, 0644) != nullptr; }},
        {"temporary file",
         [](FileSystem& f, const CString& d) {
             CString t;
             return f.CreateTemporaryBeside(d + u"f", t) != nullptr;
         }},
        {"temporary file named after its target",
         [](FileSystem& f, const CString& d) {
             CString t;
             return f.CreateTemporaryBeside(d + u"f", t, u"f") != nullptr;
         }},
        {"lock directory",
         [](FileSystem& f, const CString& d) {
             return f.LockDirectory(d + u"empty", std::chrono::milliseconds(0)) != nullptr;
         }},
        {"copy onto",
         [&](FileSystem& f, const CString& d) { return f.CopyFile(ok, d + u"f", nullptr, CopyOptions()); }},
        {"copy from",
         [&](FileSystem& f, const CString& d) { return f.CopyFile(d + u"f", ok + u"3", nullptr, CopyOptions()); }},
        {"flush directory", [](FileSystem& f, const CString& d) { return f.SyncDirectory(d + u"empty"); }},
    };
    const CString outside = this->B(u"outside");
    const std::string before = Snapshot(fs, outside);
    ASSERT_NE(before.find("outside/c/f"), std::string::npos) << before;
    RootHold hold(fs, this->Root());
    // The link right above the entry, and two levels above it (a/b/c with b swapped); the
    // same again with that directory entered as a copy enters its target's, which finds
    // the link and so keeps nothing.
    for (const bool entered : {false, true}) {
        for (const char16_t* dir : {u"tree/a/b/", u"tree/a/b/c/"}) {
            const CString d = this->B(dir);
            const auto scope = entered ? fs.EnterDirectory(d.Left(d.GetLength() - 1)) : nullptr;
            for (const Call& call : calls) {
                SCOPED_TRACE(std::string(call.what) + " below " + CString(dir).ToUtf8() + (entered ? " entered" : ""));
                SetLastError(0);
                EXPECT_FALSE(call.run(fs, d));
                EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
                EXPECT_EQ(before, Snapshot(fs, outside));
            }
        }
    }
    EXPECT_EQ("ok", ReadFile(fs, ok).value_or("?")) << "a failed rename leaves its source";
}

TYPED_TEST(HeldRoot, WithoutAHoldTheKernelFollowsALinkInTheDirectoryPart) {
    this->Build();
    if (this->HasFatalFailure()) return;
    this->SwapB();
    if (this->HasFatalFailure()) return;
    EXPECT_EQ("outside", ReadFile(this->fs(), this->B(u"tree/a/b/c/f")).value_or("?"));
    {
        RootHold hold(this->fs(), this->Root());
        EXPECT_FALSE(ReadFile(this->fs(), this->B(u"tree/a/b/c/f")));
        RootHold again(this->fs(), this->Root());
        RootHold moved = std::move(again);
    }
    EXPECT_EQ("outside", ReadFile(this->fs(), this->B(u"tree/a/b/c/f")).value_or("?")) << "every hold released";
}

TYPED_TEST(HeldRoot, EverythingBelowARootReachedThroughALinkWorks) {
    FileSystem& fs = this->fs();
    ASSERT_TRUE(fs.CreateDirectory(this->B(u"real")));
    ASSERT_TRUE(fs.CreateDirectory(this->B(u"real/tree")));
    this->env_.Symlink(this->B(u"via"), this->B(u"real"));
    const CString root = this->B(u"via/tree/");
    FaultFileSystem faults(fs);  // holds through the wrapper reach the file system below it
    RootHold hold(faults, root);

    ASSERT_TRUE(fs.CreateDirectory(root + u"d"));
    ASSERT_TRUE(fs.CreateDirectory(root + u"d/e"));
    ASSERT_TRUE(WriteFile(fs, root + u"d/e/f", "bytes"));
    ASSERT_TRUE(fs.SetFileTimes(root + u"d/e/f", nullptr, &kTime, &kTime));
    ASSERT_TRUE(fs.SetPermissions(root + u"d/e/f", 0640));
    ASSERT_TRUE(fs.CopyFile(root + u"d/e/f", root + u"d/copy", nullptr, CopyOptions()));
    ASSERT_TRUE(fs.MoveFile(root + u"d/copy", root + u"d/e/moved", false));
    ASSERT_TRUE(fs.CreateDirectoryFromTemplate(root + u"d/e/sub", root + u"d"));
    FindData fd;
    ASSERT_TRUE(fs.GetFindData(root + u"d/e/moved", fd));
    EXPECT_EQ(kTime, fd.lastWriteTime);
    EXPECT_EQ(0640u, fd.mode);
    EXPECT_EQ(std::vector<std::string>({"f", "moved", "sub"}), fstest::ListNames(fs, root + u"d/e"));
    EXPECT_TRUE(fs.SyncDirectory(root + u"d/e"));
    EXPECT_TRUE(fs.GetFindData(root.Left(root.GetLength() - 1), fd)) << "the root itself";
    EXPECT_TRUE(fs.DeleteFile(root + u"d/e/moved"));
    EXPECT_TRUE(fs.RemoveDirectory(root + u"d/e/sub"));
    EXPECT_EQ("bytes", ReadFile(fs, this->B(u"real/tree/d/e/f")).value_or("?"));
    EXPECT_EQ(0u, faults.CallCount()) << "holding is no call of the wrapper";
}

TYPED_TEST(HeldRoot, ALinkAsTheLastComponentIsTheLinkItselfAndDotDotIsRefused) {
    this->Build();
    if (this->HasFatalFailure()) return;
    FileSystem& fs = this->fs();
    this->env_.Symlink(this->B(u"tree/ok/l"), this->B(u"outside/f"));
    this->env_.Symlink(this->B(u"tree/ok/ld"), this->B(u"outside"));
    const std::string before = Snapshot(fs, this->B(u"outside"));
    RootHold hold(fs, this->Root());

    FindData fd;
    ASSERT_TRUE(fs.GetFindData(this->B(u"tree/ok/l"), fd));
    EXPECT_EQ(EntryKind::Symlink, fd.kind);
    EXPECT_FALSE(fs.OpenRead(this->B(u"tree/ok/l")));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.CreateFile(this->B(u"tree/ok/l"), CreateMode::CreateAlways, 0644));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.ListDirectory(this->B(u"tree/ok/ld")));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.SetPermissions(this->B(u"tree/ok/l"), 0600));
    EXPECT_EQ(win32::ERROR_CANT_RESOLVE_FILENAME, GetLastError());
    EXPECT_FALSE(fs.GetFindData(this->B(u"tree/ok/../ok/g"), fd));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_TRUE(fs.GetFindData(this->B(u"tree/ok/./g"), fd));

    EXPECT_TRUE(fs.MoveFile(this->B(u"tree/ok/l"), this->B(u"tree/ok/l2"), false)) << "the link itself is renamed";
    EXPECT_TRUE(fs.DeleteFile(this->B(u"tree/ok/l2"))) << "and removed";
    EXPECT_TRUE(fs.DeleteFile(this->B(u"tree/ok/ld")));
    EXPECT_EQ(before, Snapshot(fs, this->B(u"outside")));

    // Missing entries keep their two codes: a missing file, a missing directory part.
    EXPECT_FALSE(fs.GetFindData(this->B(u"tree/ok/none"), fd));
    EXPECT_EQ(win32::ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.GetFindData(this->B(u"tree/none/x"), fd));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.OpenRead(this->B(u"tree/ok/none")));
    EXPECT_EQ(win32::ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(fs.CreateFile(this->B(u"tree/none/x"), CreateMode::CreateNew, 0644));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
}

// A directory entered for a copy is reached once: swapped for a link after that, the
// copy's calls on its entries go on in the directory that was reached, now moved away
// (the real file system; the one in memory keeps nothing and refuses them as it refuses
// every call through the link). Nothing lands behind the link either way, and only the
// entering thread's calls on entries directly in that directory start from it.
TYPED_TEST(HeldRoot, ADirectoryEnteredForACopyIsNotLeftForALinkSwappedInLater) {
    this->Build();
    if (this->HasFatalFailure()) return;
    FileSystem& fs = this->fs();
    constexpr bool kKept = !std::is_same_v<TypeParam, MemoryEnv>;
    const CString dir = this->B(u"tree/a/b/c");
    const std::string before = Snapshot(fs, this->B(u"outside"));
    RootHold hold(fs, this->Root());
    {
        const auto scope = fs.EnterDirectory(dir);
        this->SwapB();
        if (this->HasFatalFailure()) return;
        CString temp;
        std::unique_ptr<File> out = fs.CreateTemporaryBeside(dir + u"/new", temp);
        ASSERT_EQ(kKept, out != nullptr);
        if (kKept) {
            ASSERT_TRUE(out->Write("copied", 6));
            ASSERT_TRUE(out->Close());
            EXPECT_TRUE(fs.MoveFile(temp, dir + u"/new", false));
            EXPECT_TRUE(fs.SetPermissions(dir + u"/new", 0640));
            FindData fd;
            EXPECT_TRUE(fs.GetFindData(dir + u"/new", fd));
            EXPECT_EQ(0640u, fd.mode);
            EXPECT_EQ("copied", ReadFile(fs, this->B(u"moved-b/c/new")).value_or("?"));
            EXPECT_EQ("inside", ReadFile(fs, dir + u"/f").value_or("?"));
        } else {
            EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
        }
        // Not directly in the entered directory, or from another thread: resolved again.
        FindData fd;
        EXPECT_FALSE(fs.GetFindData(dir + u"/empty/x", fd));
        EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
        bool elsewhere = true;
        std::uint32_t code = 0;
        std::thread([&] {
            elsewhere = fs.GetFindData(dir + u"/f", fd);
            code = GetLastError();
        }).join();
        EXPECT_FALSE(elsewhere);
        EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, code);
        EXPECT_EQ(before, Snapshot(fs, this->B(u"outside")));
    }
    FindData fd;
    EXPECT_FALSE(fs.GetFindData(dir + u"/f", fd)) << "once the scope is gone";
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_EQ(before, Snapshot(fs, this->B(u"outside")));
}

// The root is opened once, at the first hold: a root moved and replaced by a link while
// it is held is not followed either; the calls go on in the directory that was opened.
// Held again later, a root that is now a link is refused as a whole.
TYPED_TEST(HeldRoot, ARootReplacedByALinkWhileHeldIsNotFollowed) {
    this->Build();
    if (this->HasFatalFailure()) return;
    FileSystem& fs = this->fs();
    const std::string before = Snapshot(fs, this->B(u"outside"));
    {
        RootHold hold(fs, this->Root());
        ASSERT_TRUE(fs.MoveFile(this->B(u"tree"), this->B(u"tree-moved"), false));
        this->env_.Symlink(this->B(u"tree"), this->B(u"outside"));
        ASSERT_TRUE(WriteFile(fs, this->B(u"tree/ok/new"), "written"));
        EXPECT_EQ("written", ReadFile(fs, this->B(u"tree-moved/ok/new")).value_or("?"));
        EXPECT_EQ(before, Snapshot(fs, this->B(u"outside")));
    }
    RootHold hold(fs, this->Root());
    FindData fd;
    EXPECT_FALSE(fs.GetFindData(this->B(u"tree/c/f"), fd));
    EXPECT_EQ(win32::ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_FALSE(WriteFile(fs, this->B(u"tree/new"), "x"));
    EXPECT_EQ(before, Snapshot(fs, this->B(u"outside")));
    // Once the link is gone and a directory is there, the next call opens it.
    this->env_.RemoveLink(this->B(u"tree"));
    ASSERT_TRUE(fs.MoveFile(this->B(u"tree-moved"), this->B(u"tree"), false));
    EXPECT_EQ("written", ReadFile(fs, this->B(u"tree/ok/new")).value_or("?"));
}

}  // namespace
