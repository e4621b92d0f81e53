// What only the real file system can show: names that are not UTF-8, devices, the
// names of file-system types.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/posix_file_system.h"
#include "platform/core/win_error.h"
#include "tests/platform/support/fs_test_env.h"

namespace {

using namespace plat;
namespace stdfs = std::filesystem;

TEST(PosixFileSystem, ANameThatIsNotUtf8IsListedOpenedCopiedAndDeletedUnderItsOwnBytes) {
    fstest::PosixEnv env;
    FileSystem& fs = env.fs();
    const std::string root = env.root().ToUtf8();
    const std::string rawName = "caf\xE9-\xFF\xC3(.txt";  // Latin-1 e-acute, a stray byte, a broken sequence
    const std::string copyName = "\x80\x81-copy";
    { std::ofstream(root + "/" + rawName, std::ios::binary) << "contents"; }

    auto lister = fs.ListDirectory(env.root());
    ASSERT_TRUE(lister);
    FindData fd;
    CString listed;
    while (lister->Next(fd))
        if (fd.name != CString(u".") && fd.name != CString(u"..")) listed = fd.name;
    ASSERT_FALSE(listed.IsEmpty());
    EXPECT_EQ(std::u16string(u"caf\xDCE9-\xDCFF\xDCC3(.txt"), listed.str()) << "each stray byte is one escape";
    EXPECT_EQ(rawName, listed.ToUtf8());

    const CString path = env.root() + u"/" + listed;
    EXPECT_EQ("contents", fstest::ReadFile(fs, path).value_or("?"));
    const CString copy = env.root() + u"/" + CString::FromUtf8(copyName);
    ASSERT_TRUE(fs.CopyFile(path, copy, nullptr, CopyOptions()));
    std::ifstream in(root + "/" + copyName, std::ios::binary);
    std::string copied((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("contents", copied);

    ASSERT_TRUE(fs.DeleteFile(path));
    EXPECT_FALSE(stdfs::exists(stdfs::path(root + "/" + rawName)));
    EXPECT_TRUE(stdfs::exists(stdfs::path(root + "/" + copyName)));
}

TEST(PosixFileSystem, DevicesAreSpecialEntries) {
    FileSystem& fs = PosixFs();
    FindData fd;
    ASSERT_TRUE(fs.GetFindData(u"/dev/null", fd));
    EXPECT_EQ(EntryKind::Special, fd.kind);
    EXPECT_EQ(0u, fd.Size());
    EXPECT_EQ(nullptr, fs.OpenRead(u"/dev/null")) << "only regular files are read";
    EXPECT_EQ(win32::ERROR_ACCESS_DENIED, GetLastError());

    // A full device reports a full disk.
    auto full = fs.CreateFile(u"/dev/full", CreateMode::CreateAlways, 0644);
    ASSERT_TRUE(full);
    EXPECT_FALSE(full->Write("x", 1));
    EXPECT_EQ(win32::ERROR_DISK_FULL, GetLastError());
}

TEST(PosixFileSystem, FileSystemTypesHaveTheirNames) {
    struct Case {
        std::uint64_t magic;
        const char16_t* name;
    };
    const Case cases[] = {
        {0x4d44, u"FAT"},          {0x2011BAB0, u"exFAT"}, {0x5346544e, u"NTFS"}, {0xEF53, u"ext4"},
        {0x9123683E, u"btrfs"},    {0x58465342, u"xfs"},   {0x01021994, u"tmpfs"}, {0x65735546, u"fuse"},
        {0x12345678, u"unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.name).ToUtf8(), PosixFileSystem::FileSystemNameFromMagic(c.magic).ToUtf8()) << std::hex << c.magic;

    fstest::PosixEnv env;
    CString name;
    ASSERT_TRUE(PosixFs().GetVolumeInformation(env.root(), name));
    EXPECT_FALSE(name.IsEmpty());
    if (stdfs::exists("/dev/shm")) {
        ASSERT_TRUE(PosixFs().GetVolumeInformation(u"/dev/shm", name));
        EXPECT_EQ("tmpfs", name.ToUtf8());
    }
}

}  // namespace
