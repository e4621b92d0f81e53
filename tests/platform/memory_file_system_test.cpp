// What only the in-memory file system can show: permissions denied although the tests
// run as root, the tree helpers and the clock.
#include <gtest/gtest.h>

#include <functional>

#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using namespace plat;

TEST(MemoryFileSystem, PermissionsAreEnforcedAsForAnOrdinaryUser) {
    MemoryFileSystem fs;
    ASSERT_TRUE(fs.AddFile(u"/d/file", "x"));
    ASSERT_TRUE(fs.AddDirectory(u"/d/sub"));
    ASSERT_TRUE(fs.AddFile(u"/d/sub/inner", "y"));
    CString temp;
    FindData fd;
    struct Case {
        const char* what;
        const char16_t* path;
        std::uint32_t mode;  // given to path first
        std::function<bool()> call;
    };
    const Case cases[] = {
        {"listing without read", u"/d", 0300, [&] { return fs.ListDirectory(u"/d") != nullptr; }},
        {"listing without search", u"/d", 0600, [&] { return fs.ListDirectory(u"/d") != nullptr; }},
        {"a stamp below a directory without search", u"/d", 0600, [&] { return fs.GetFindData(u"/d/file", fd); }},
        {"creating without write", u"/d", 0500,
         [&] { return fs.CreateFile(u"/d/new", CreateMode::CreateNew, 0644) != nullptr; }},
        {"a temporary without write", u"/d", 0500, [&] { return fs.CreateTemporaryBeside(u"/d/file", temp) != nullptr; }},
        {"making a directory without write", u"/d", 0500, [&] { return fs.CreateDirectory(u"/d/new"); }},
        {"deleting without write", u"/d", 0500, [&] { return fs.DeleteFile(u"/d/file"); }},
        {"removing without write", u"/d/sub", 0500, [&] { return fs.DeleteFile(u"/d/sub/inner"); }},
        {"renaming out of a read-only directory", u"/d/sub", 0500, [&] { return fs.MoveFile(u"/d/sub/inner", u"/d/x", false); }},
        {"moving a read-only directory elsewhere", u"/d/sub", 0500, [&] { return fs.MoveFile(u"/d/sub", u"/moved", false); }},
        {"reading without read", u"/d/file", 0200, [&] { return fs.OpenRead(u"/d/file") != nullptr; }},
        {"writing without write", u"/d/file", 0400,
         [&] { return fs.CreateFile(u"/d/file", CreateMode::CreateAlways, 0644) != nullptr; }},
        {"copying an unreadable file", u"/d/file", 0200, [&] { return fs.CopyFile(u"/d/file", u"/copy", nullptr, CopyOptions()); }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fs.SetMode(c.path, c.mode));
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(win32::ERROR_ACCESS_DENIED, GetLastError()) << c.what;
        ASSERT_TRUE(fs.SetMode(c.path, c.path == std::u16string_view(u"/d/file") ? 0644 : 0755));
    }
    EXPECT_EQ("d 0755 /d\nf 0644 1 /d/file\nd 0755 /d/sub\nf 0644 1 /d/sub/inner\n", fs.Dump(u"/d"))
        << "nothing was changed by a denied call";
    EXPECT_FALSE(fs.Exists(u"/copy"));

    fs.SetEnforcePermissions(false);
    ASSERT_TRUE(fs.SetMode(u"/d/file", 0));
    EXPECT_EQ("x", fstest::ReadFile(fs, u"/d/file").value_or("?"));
}

TEST(MemoryFileSystem, HelpersBuildAndShowTreesWithTheClockOrGivenTimes) {
    MemoryFileSystem fs;
    constexpr FileTime kNow = 133000000000000000ULL;
    constexpr FileTime kGiven = 132000000000000000ULL;
    fs.SetTime(kNow);
    EXPECT_EQ(kNow, fs.Now());
    ASSERT_TRUE(fs.AddFile(u"/a/b/file", "bytes", 0600, kGiven));
    ASSERT_TRUE(fs.AddSymlink(u"/a/link", u"b/file"));
    ASSERT_TRUE(fs.AddSpecial(u"/a/fifo"));
    EXPECT_FALSE(fs.AddFile(u"/a/b/file", "again")) << "an existing path";
    EXPECT_FALSE(fs.AddFile(u"/a/b/file/below", "x")) << "below a file";
    EXPECT_EQ("bytes", fs.ReadAll(u"/a/b/file").value_or("?"));
    EXPECT_FALSE(fs.ReadAll(u"/a/link")) << "a link is not read through";
    EXPECT_TRUE(fs.Exists(u"/a/fifo"));
    EXPECT_EQ("d 0755 /a\nd 0755 /a/b\nf 0600 5 /a/b/file\ns 0644 /a/fifo\nl /a/link -> b/file\n", fs.Dump(u"/a"));

    FindData fd;
    ASSERT_TRUE(fs.GetFindData(u"/a/b/file", fd));
    EXPECT_EQ(kGiven, fd.lastWriteTime);
    ASSERT_TRUE(fs.GetFindData(u"/a/fifo", fd));
    EXPECT_EQ(EntryKind::Special, fd.kind);
    EXPECT_EQ(kNow, fd.lastWriteTime);
    EXPECT_EQ(nullptr, fs.OpenRead(u"/a/fifo"));
    EXPECT_EQ(win32::ERROR_ACCESS_DENIED, GetLastError());

    // A write is stamped by the clock.
    fs.SetTime(kNow + 10);
    ASSERT_TRUE(fstest::WriteFile(fs, u"/a/b/file", "new"));
    ASSERT_TRUE(fs.GetFindData(u"/a/b/file", fd));
    EXPECT_EQ(kNow + 10, fd.lastWriteTime);

    CString name;
    ASSERT_TRUE(fs.GetVolumeInformation(u"/a", name));
    EXPECT_EQ(CString(u"ext4"), name);
    fs.SetFileSystemName(u"FAT32");
    ASSERT_TRUE(fs.GetVolumeInformation(u"/a/link", name));
    EXPECT_EQ(CString(u"FAT32"), name);
}

TEST(MemoryFileSystem, AnOpenFileOutlivesItsEntry) {
    MemoryFileSystem fs;
    ASSERT_TRUE(fs.AddFile(u"/f", "still here"));
    auto f = fs.OpenRead(u"/f");
    ASSERT_TRUE(f);
    ASSERT_TRUE(fs.DeleteFile(u"/f"));
    char buffer[16];
    std::size_t got = 0;
    ASSERT_TRUE(f->Read(buffer, sizeof buffer, got));
    EXPECT_EQ("still here", std::string(buffer, got));
    EXPECT_FALSE(f->Write("x", 1)) << "opened for reading";
    EXPECT_EQ(win32::ERROR_INVALID_HANDLE, GetLastError());
}

}  // namespace
