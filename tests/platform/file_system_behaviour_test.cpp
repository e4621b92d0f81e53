// One set of behaviour tests that the real and the in-memory file system both pass, so
// engine tests on the in-memory one see what a real run sees.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/core/file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using namespace plat;
using fstest::ListNames;
using fstest::ReadFile;
using fstest::WriteFile;

template <typename Env>
class FileSystemBehaviour : public ::testing::Test {
protected:
    FileSystem& fs() { return env_.fs(); }
    CString P(std::u16string_view rel) const { return env_.root() + u"/" + rel; }
    Env env_;
};

TYPED_TEST_SUITE(FileSystemBehaviour, fstest::Envs, fstest::EnvNames);

constexpr FileTime kTime1 = 133000000000000000ULL;  // 2022
constexpr FileTime kTime2 = 133100000000000000ULL;

TYPED_TEST(FileSystemBehaviour, ListingGivesDotEntriesFirstThenEveryEntryWithItsStamp) {
    auto& fs = this->fs();
    ASSERT_TRUE(WriteFile(fs, this->P(u"plain"), "12345"));
    ASSERT_TRUE(WriteFile(fs, this->P(u".hidden"), ""));
    ASSERT_TRUE(WriteFile(fs, this->P(u"locked"), "x", 0444));
    ASSERT_TRUE(fs.CreateDirectory(this->P(u"dir")));
    this->env_.Symlink(this->P(u"link"), u"plain");

    auto lister = fs.ListDirectory(this->env_.root());
    ASSERT_TRUE(lister);
    FindData fd;
    ASSERT_TRUE(lister->Next(fd));
    EXPECT_EQ(CString(u"."), fd.name);
    EXPECT_TRUE(fd.IsDirectory());
    ASSERT_TRUE(lister->Next(fd));
    EXPECT_EQ(CString(u".."), fd.name);
    EXPECT_TRUE(fd.IsDirectory());

    std::map<std::string, FindData> seen;
    while (lister->Next(fd)) seen[fd.name.ToUtf8()] = fd;
    EXPECT_EQ(win32::ERROR_NO_MORE_FILES, GetLastError());
    EXPECT_FALSE(lister->Next(fd)) << "the end stays the end";
    EXPECT_EQ(win32::ERROR_NO_MORE_FILES, GetLastError());

    struct Expect {
        const char* name;
        EntryKind kind;
        std::uint32_t attributes;
        std::uint64_t size;
    };
    const Expect expected[] = {
        {"plain", EntryKind::File, FILE_ATTRIBUTE_NORMAL, 5},
        {".hidden", EntryKind::File, FILE_ATTRIBUTE_HIDDEN, 0},
        {"locked", EntryKind::File, FILE_ATTRIBUTE_READONLY, 1},
        {"dir", EntryKind::Directory, FILE_ATTRIBUTE_DIRECTORY, 0},
        {"link", EntryKind::Symlink, FILE_ATTRIBUTE_NORMAL, 0},
    };
    ASSERT_EQ(std::size(expected), seen.size());
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(seen.count(e.name));
        const FindData& got = seen[e.name];
        EXPECT_EQ(e.kind, got.kind);
        EXPECT_EQ(e.attributes, got.attributes);
        EXPECT_EQ(e.size, got.Size());
        EXPECT_TRUE(got.shortName.IsEmpty());
        EXPECT_NE(0u, got.lastWriteTime);
        EXPECT_NE(0u, got.creationTime);
        // The listing and the stamp of the single path agree.
        FindData one;
        ASSERT_TRUE(fs.GetFindData(this->P(CString::FromUtf8(e.name)), one));
        EXPECT_EQ(got.kind, one.kind);
        EXPECT_EQ(got.attributes, one.attributes);
        EXPECT_EQ(got.lastWriteTime, one.lastWriteTime);
        EXPECT_EQ(got.inode, one.inode);
        EXPECT_EQ(got.name, one.name);
    }
}

TYPED_TEST(FileSystemBehaviour, TimesAndAttributesAreSetAsTheStampDefinesThem) {
    auto& fs = this->fs();
    const CString file = this->P(u"f");
    const CString dir = this->P(u"d");
    ASSERT_TRUE(WriteFile(fs, file, "abc", 0640));
    ASSERT_TRUE(fs.CreateDirectory(dir));

    ASSERT_TRUE(fs.SetFileTimes(file, &kTime1, &kTime2, &kTime1));
    FindData fd;
    ASSERT_TRUE(fs.GetFindData(file, fd));
    EXPECT_EQ(kTime1, fd.lastWriteTime);
    EXPECT_EQ(kTime2, fd.lastAccessTime);
    ASSERT_TRUE(fs.SetFileTimes(file, nullptr, nullptr, &kTime2));  // null leaves a time alone
    ASSERT_TRUE(fs.GetFindData(file, fd));
    EXPECT_EQ(kTime2, fd.lastWriteTime);
    EXPECT_EQ(kTime2, fd.lastAccessTime);

    struct Case {
        const char* what;
        bool onDirectory;
        std::uint32_t set;
        std::uint32_t attributes;  // afterwards
        std::uint32_t mode;        // afterwards
    };
    const Case cases[] = {
        {"READONLY clears every write bit", false, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY, 0440},
        {"HIDDEN changes nothing", false, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY, 0440},
        {"clearing READONLY gives the owner write", false, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL, 0640},
        {"ARCHIVE changes nothing", false, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_NORMAL, 0640},
        {"READONLY never on a directory", true, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_DIRECTORY, 0755},
    };
    ASSERT_TRUE(fs.SetPermissions(dir, 0755));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CString& path = c.onDirectory ? dir : file;
        ASSERT_TRUE(fs.SetFileAttributes(path, c.set));
        EXPECT_EQ(c.attributes, fs.GetFileAttributes(path));
        ASSERT_TRUE(fs.GetFindData(path, fd));
        EXPECT_EQ(c.mode, fd.mode);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, fs.GetFileAttributes(this->P(u"missing")));
    EXPECT_EQ(win32::ERROR_FILE_NOT_FOUND, GetLastError());
}

TYPED_TEST(FileSystemBehaviour, FailuresGiveTheirWin32Codes) {
    auto& fs = this->fs();
    ASSERT_TRUE(WriteFile(fs, this->P(u"file"), "x"));
    ASSERT_TRUE(WriteFile(fs, this->P(u"other"), "y"));
    ASSERT_TRUE(fs.CreateDirectory(this->P(u"full")));
    ASSERT_TRUE(WriteFile(fs, this->P(u"full/inside"), "z"));
    ASSERT_TRUE(fs.CreateDirectory(this->P(u"empty")));
    this->env_.Symlink(this->P(u"link"), u"file");
    this->env_.Symlink(this->P(u"dirlink"), u"full");

    FindData fd;
    CString s;
    struct Case {
        const char* what;
        std::function<bool()> call;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"stamp of a missing file", [&] { return fs.GetFindData(this->P(u"nope"), fd); }, 2},
        {"stamp in a missing directory", [&] { return fs.GetFindData(this->P(u"nodir/nope"), fd); }, 3},
        {"stamp below a file", [&] { return fs.GetFindData(this->P(u"file/x"), fd); }, 3},
        {"listing a missing directory", [&] { return fs.ListDirectory(this->P(u"nope")) != nullptr; }, 3},
        {"listing a file", [&] { return fs.ListDirectory(this->P(u"file")) != nullptr; }, 3},
        {"listing through a link", [&] { return fs.ListDirectory(this->P(u"dirlink")) != nullptr; }, 3},
        {"opening a missing file", [&] { return fs.OpenRead(this->P(u"nope")) != nullptr; }, 2},
        {"opening in a missing directory", [&] { return fs.OpenRead(this->P(u"nodir/x")) != nullptr; }, 3},
        {"opening a directory", [&] { return fs.OpenRead(this->P(u"full")) != nullptr; }, 5},
        {"opening a link", [&] { return fs.OpenRead(this->P(u"link")) != nullptr; }, 3},
        {"creating over a link", [&] { return fs.CreateFile(this->P(u"link"), CreateMode::CreateAlways, 0644) != nullptr; }, 3},
        {"creating a new file that exists", [&] { return fs.CreateFile(this->P(u"file"), CreateMode::CreateNew, 0644) != nullptr; }, 80},
        {"creating in a missing directory", [&] { return fs.CreateFile(this->P(u"nodir/x"), CreateMode::CreateAlways, 0644) != nullptr; }, 3},
        {"creating over a directory", [&] { return fs.CreateFile(this->P(u"empty"), CreateMode::CreateAlways, 0644) != nullptr; }, 5},
        {"deleting a directory", [&] { return fs.DeleteFile(this->P(u"empty")); }, 5},
        {"deleting a missing file", [&] { return fs.DeleteFile(this->P(u"nope")); }, 2},
        {"removing a non-empty directory", [&] { return fs.RemoveDirectory(this->P(u"full")); }, 145},
        {"removing a missing directory", [&] { return fs.RemoveDirectory(this->P(u"nope")); }, 2},
        {"removing a file as a directory", [&] { return fs.RemoveDirectory(this->P(u"file")); }, 3},
        {"making a directory that exists", [&] { return fs.CreateDirectory(this->P(u"empty")); }, 183},
        {"making a directory over a file", [&] { return fs.CreateDirectory(this->P(u"file")); }, 183},
        {"making a directory in a missing one", [&] { return fs.CreateDirectory(this->P(u"nodir/x")); }, 3},
        {"renaming onto an existing file", [&] { return fs.MoveFile(this->P(u"file"), this->P(u"other"), false); }, 183},
        {"renaming a missing file", [&] { return fs.MoveFile(this->P(u"nope"), this->P(u"new"), false); }, 2},
        {"renaming into a missing directory", [&] { return fs.MoveFile(this->P(u"file"), this->P(u"nodir/x"), true); }, 3},
        {"renaming a file over a directory", [&] { return fs.MoveFile(this->P(u"file"), this->P(u"empty"), true); }, 5},
        {"renaming a directory over a full one", [&] { return fs.MoveFile(this->P(u"empty"), this->P(u"full"), true); }, 145},
        {"attributes of a link", [&] { return fs.SetFileAttributes(this->P(u"link"), FILE_ATTRIBUTE_READONLY); }, 1921},
        {"permissions of a link", [&] { return fs.SetPermissions(this->P(u"link"), 0600); }, 1921},
        {"times of a missing file", [&] { return fs.SetFileTimes(this->P(u"nope"), nullptr, nullptr, &kTime1); }, 2},
        {"a relative path", [&] { return fs.GetFindData(u"relative/file", fd); }, 3},
        {"a Windows root", [&] { return fs.ListDirectory(u"C:\\Data\\") != nullptr; }, 3},
        {"volume of a missing path", [&] { return fs.GetVolumeInformation(this->P(u"nodir/x"), s); }, 3},
        {"resolving a missing path", [&] { return fs.ResolvePath(this->P(u"nope"), s); }, 2},
        {"a temporary beside a missing directory", [&] { return fs.CreateTemporaryBeside(this->P(u"nodir/x"), s) != nullptr; }, 3},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(c.code, GetLastError()) << c.what;
    }
    // Nothing above changed the entries it failed on.
    EXPECT_EQ(std::vector<std::string>({"dirlink", "empty", "file", "full", "link", "other"}), ListNames(fs, this->env_.root()));
    EXPECT_EQ("x", ReadFile(fs, this->P(u"file")).value_or("?"));
    EXPECT_EQ("y", ReadFile(fs, this->P(u"other")).value_or("?"));
}

TYPED_TEST(FileSystemBehaviour, LinksAreHandledAsEntriesNeverFollowed) {
    auto& fs = this->fs();
    ASSERT_TRUE(WriteFile(fs, this->P(u"target"), "keep"));
    this->env_.Symlink(this->P(u"link"), u"target");
    FindData fd;
    ASSERT_TRUE(fs.GetFindData(this->P(u"link"), fd));
    EXPECT_EQ(EntryKind::Symlink, fd.kind);
    ASSERT_TRUE(fs.MoveFile(this->P(u"link"), this->P(u"moved"), false));
    ASSERT_TRUE(fs.GetFindData(this->P(u"moved"), fd));
    EXPECT_EQ(EntryKind::Symlink, fd.kind);
    ASSERT_TRUE(fs.DeleteFile(this->P(u"moved")));
    EXPECT_EQ("keep", ReadFile(fs, this->P(u"target")).value_or("?"));
    EXPECT_EQ(std::vector<std::string>({"target"}), ListNames(fs, this->env_.root()));
    // The root of a side may be a link; it is resolved once.
    this->env_.Symlink(this->P(u"rootlink"), this->env_.root());
    CString resolved, real;
    ASSERT_TRUE(fs.ResolvePath(this->env_.root(), real));
    ASSERT_TRUE(fs.ResolvePath(this->P(u"rootlink/target"), resolved));
    EXPECT_EQ((real + u"/target").ToUtf8(), resolved.ToUtf8());
}

TYPED_TEST(FileSystemBehaviour, FilesReadWriteSeekAndTruncate) {
    auto& fs = this->fs();
    const CString path = this->P(u"data");
    ASSERT_TRUE(WriteFile(fs, path, "hello world"));
    auto in = fs.OpenRead(path);
    ASSERT_TRUE(in);
    std::uint64_t size = 0;
    ASSERT_TRUE(in->GetSize(size));
    EXPECT_EQ(11u, size);
    ASSERT_TRUE(in->Seek(6));
    char buffer[16];
    std::size_t got = 0;
    ASSERT_TRUE(in->Read(buffer, sizeof buffer, got));
    EXPECT_EQ("world", std::string(buffer, got));
    ASSERT_TRUE(in->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(0u, got) << "end of file";
    EXPECT_TRUE(in->Close());

    ASSERT_TRUE(WriteFile(fs, path, "short"));  // CreateAlways truncates
    EXPECT_EQ("short", ReadFile(fs, path).value_or("?"));
    auto out = fs.CreateFile(this->P(u"new"), CreateMode::CreateNew, 0600);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write("ab", 2));
    ASSERT_TRUE(out->SetMode(0640));
    ASSERT_TRUE(out->SetTimes(nullptr, &kTime2, &kTime1));
    ASSERT_TRUE(out->Flush());
    ASSERT_TRUE(out->Close());
    FindData fd;
    ASSERT_TRUE(fs.GetFindData(this->P(u"new"), fd));
    EXPECT_EQ(2u, fd.Size());
    EXPECT_EQ(0640u, fd.mode);
    EXPECT_EQ(kTime1, fd.lastWriteTime);
    EXPECT_EQ(kTime2, fd.lastAccessTime);
}

TYPED_TEST(FileSystemBehaviour, DirectoriesAreMadeRenamedAndRemovedOnlyWhenEmpty) {
    auto& fs = this->fs();
    ASSERT_TRUE(fs.CreateDirectory(this->P(u"a")));
    ASSERT_TRUE(fs.SetPermissions(this->P(u"a"), 0510));
    struct Case {
        std::uint32_t templateMode;
        std::uint32_t made;
    };
    // The template's bits, plus owner write and search while the run works in it.
    for (const Case c : {Case{0510, 0710}, Case{0755, 0755}, Case{0000, 0300}}) {
        ASSERT_TRUE(fs.SetPermissions(this->P(u"a"), c.templateMode));
        ASSERT_TRUE(fs.CreateDirectoryFromTemplate(this->P(u"b"), this->P(u"a")));
        FindData fd;
        ASSERT_TRUE(fs.GetFindData(this->P(u"b"), fd));
        EXPECT_EQ(c.made, fd.mode) << std::oct << c.templateMode;
        ASSERT_TRUE(fs.RemoveDirectory(this->P(u"b")));
    }
    ASSERT_TRUE(fs.SetPermissions(this->P(u"a"), 0755));
    ASSERT_TRUE(WriteFile(fs, this->P(u"a/f"), "1"));
    ASSERT_TRUE(fs.MoveFile(this->P(u"a"), this->P(u"c"), false));
    EXPECT_EQ("1", ReadFile(fs, this->P(u"c/f")).value_or("?"));
    EXPECT_FALSE(fs.RemoveDirectory(this->P(u"c")));
    ASSERT_TRUE(fs.DeleteFile(this->P(u"c/f")));
    ASSERT_TRUE(fs.RemoveDirectory(this->P(u"c")));
    EXPECT_TRUE(ListNames(fs, this->env_.root()).empty());
    ASSERT_TRUE(WriteFile(fs, this->P(u"x"), "new"));
    ASSERT_TRUE(WriteFile(fs, this->P(u"y"), "old"));
    ASSERT_TRUE(fs.MoveFile(this->P(u"x"), this->P(u"y"), true));
    EXPECT_EQ("new", ReadFile(fs, this->P(u"y")).value_or("?"));
    EXPECT_TRUE(fs.SyncDirectory(this->env_.root()));
    EXPECT_TRUE(fs.SyncFileSystem(this->env_.root()));
    CString name;
    EXPECT_TRUE(fs.GetVolumeInformation(this->env_.root(), name));
    EXPECT_FALSE(name.IsEmpty());
}

TYPED_TEST(FileSystemBehaviour, TemporaryFilesAreNewShortAndPrivate) {
    auto& fs = this->fs();
    CString first, second;
    auto a = fs.CreateTemporaryBeside(this->P(u"target-with-a-rather-long-name.txt"), first);
    auto b = fs.CreateTemporaryBeside(this->P(u"target-with-a-rather-long-name.txt"), second);
    ASSERT_TRUE(a && b);
    EXPECT_NE(first, second);
    for (const CString& t : {first, second}) {
        EXPECT_EQ(this->env_.root(), ParentPath(t));
        EXPECT_TRUE(IsTemporaryName(LastComponent(t)));
        EXPECT_LE(LastComponent(t).GetLength(), 12u);
        FindData fd;
        ASSERT_TRUE(fs.GetFindData(t, fd));
        EXPECT_EQ(0600u, fd.mode);
    }
}

TYPED_TEST(FileSystemBehaviour, FullPathNamesAreLexical) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    };
    const Case cases[] = {
        {u"/a/b/../c", u"/a/c"},  {u"/a/./b//c/", u"/a/b/c/"}, {u"/..", u"/"},
        {u"/a/b/..", u"/a"},      {u"/", u"/"},                {u"//x", u"/x"},
    };
    for (const auto& c : cases) {
        CString out;
        ASSERT_TRUE(this->fs().GetFullPathName(c.in, out));
        EXPECT_EQ(CString(c.out).ToUtf8(), out.ToUtf8()) << CString(c.in).ToUtf8();
    }
    CString out;
    ASSERT_TRUE(this->fs().GetFullPathName(u"rel/x", out));
    EXPECT_TRUE(out.StartsWith(u"/") && out.EndsWith(u"/rel/x")) << out.ToUtf8();
}

}  // namespace
