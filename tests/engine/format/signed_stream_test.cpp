#include "engine/format/signed_stream.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine/error_info.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/byte_builder.h"

namespace {

using test::ByteBuilder;

const CString kTarget = u"/p/profile.kem";

class SignedStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs.AddDirectory(u"/p")); }

    std::uint32_t ModeOf(const CString& path) {
        plat::FindData fd;
        EXPECT_TRUE(fs.GetFindData(path, fd));
        return fd.mode & 07777;
    }
    // The directory holds exactly the given listing (no temporary file left).
    std::string Listing() { return fs.Dump(u"/p"); }

    plat::MemoryFileSystem fs;
};

TEST_F(SignedStreamTest, CloseAppendsDigestAndReplacesTheOldFileKeepingItsMode) {
    ASSERT_TRUE(fs.AddFile(kTarget, "old contents", 0640));
    SignedOFStream out(fs, kTarget);
    ASSERT_TRUE(out.is_open());
    out.Write("new ", 4);
    out.Write("bytes", 5);
    // Nothing reaches the target before close.
    EXPECT_EQ(fs.ReadAll(kTarget), "old contents");
    ASSERT_TRUE(out.close());
    EXPECT_TRUE(out.good());
    EXPECT_EQ(fs.ReadAll(kTarget), ByteBuilder().Raw("new bytes").Sign().str());
    EXPECT_EQ(ModeOf(kTarget), 0640u);
    EXPECT_EQ(Listing(), "d 0755 /p\nf 0640 25 /p/profile.kem\n");
}

TEST_F(SignedStreamTest, NewFileIsPrivateAndPassesTheCheck) {
    {
        SignedOFStream out(fs, kTarget);
        out.Write("abc", 3);
        ASSERT_TRUE(out.close());
    }
    EXPECT_EQ(ModeOf(kTarget), 0600u);
    FileReader in(fs, kTarget);
    ErrorInfo err;
    EXPECT_TRUE(CheckSignature(in, &err));
}

TEST_F(SignedStreamTest, EmptyFileIsTheDigestOfNothing) {
    SignedOFStream out(fs, kTarget);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(fs.ReadAll(kTarget),
              std::string("\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e", 16));
}

TEST_F(SignedStreamTest, FailedStreamRemovesTheTemporaryFileAndKeepsTheOld) {
    enum class End { Close, Destructor };
    for (End end : {End::Close, End::Destructor}) {
        plat::MemoryFileSystem mem;
        ASSERT_TRUE(mem.AddFile(kTarget, "old", 0644));
        {
            SignedOFStream out(mem, kTarget);
            out.Write("half", 4);
            out.SetFail(112);
            if (end == End::Close) {
                EXPECT_FALSE(out.close());
                EXPECT_TRUE(out.fail());
                EXPECT_EQ(out.error(), 112u);
            }
        }
        EXPECT_EQ(mem.ReadAll(kTarget), "old");
        EXPECT_EQ(mem.Dump(u"/p"), "d 0755 /p\nf 0644 3 /p/profile.kem\n");
    }
}

// Only an explicit close commits: a stream left part way, by an early return or by an
// exception unwinding through it, never puts a truncated file with a valid signature
// in place of the good one.
TEST_F(SignedStreamTest, AStreamDestroyedBeforeCloseDiscardsWhatWasWritten) {
    enum class End { Return, Exception };
    for (End end : {End::Return, End::Exception}) {
        plat::MemoryFileSystem mem;
        ASSERT_TRUE(mem.AddDirectory(u"/p"));
        ASSERT_TRUE(mem.AddFile(kTarget, "old", 0644));
        auto write = [&](const CString& path) {
            SignedOFStream out(mem, path);
            ASSERT_TRUE(out.Write("half", 4));
            ASSERT_TRUE(out.Flush());
            if (end == End::Exception) throw std::bad_alloc();
        };
        for (const CString& path : {kTarget, CString(u"/p/new.kem")}) {
            if (end == End::Exception) {
                EXPECT_THROW(write(path), std::bad_alloc);
            } else {
                write(path);
            }
        }
        EXPECT_EQ(mem.ReadAll(kTarget), "old");
        EXPECT_EQ(mem.Dump(u"/p"), "d 0755 /p\nf 0644 3 /p/profile.kem\n");
    }
}

TEST_F(SignedStreamTest, OpenFailureFailsTheStream) {
    SignedOFStream out(fs, u"/missing/profile.kem");
    EXPECT_FALSE(out.is_open());
    EXPECT_TRUE(out.fail());
    EXPECT_EQ(out.error(), 3u);
    EXPECT_FALSE(out.Write("x", 1));
    EXPECT_FALSE(out.close());
}

TEST_F(SignedStreamTest, SavingThroughALinkReplacesTheFileItPointsTo) {
    ASSERT_TRUE(fs.AddFile(u"/p/real.kem", "old", 0640));
    ASSERT_TRUE(fs.AddSymlink(kTarget, u"/p/real.kem"));
    SignedOFStream out(fs, kTarget);
    out.Write("new", 3);
    ASSERT_TRUE(out.close());
    EXPECT_EQ(fs.ReadAll(u"/p/real.kem"), ByteBuilder().Raw("new").Sign().str());
    EXPECT_EQ(ModeOf(u"/p/real.kem"), 0640u);
    plat::FindData fd;
    ASSERT_TRUE(fs.GetFindData(kTarget, fd));
    EXPECT_EQ(fd.kind, plat::EntryKind::Symlink);
}

TEST_F(SignedStreamTest, FileReaderReadsWhatWasWritten) {
    std::string body;
    for (int i = 0; i < 200000; ++i) body.push_back(char(i * 31));
    ASSERT_TRUE(fs.AddFile(u"/p/data", body));
    FileReader in(fs, u"/p/data");
    ASSERT_EQ(in.Size(), body.size());
    std::string back(body.size(), '\0');
    ASSERT_TRUE(in.Seek(150000) && in.Read(back.data() + 150000, 50000));
    ASSERT_TRUE(in.Seek(0) && in.Read(back.data(), 150000));
    EXPECT_EQ(back, body);
    FileReader missing(fs, u"/p/none");
    EXPECT_TRUE(missing.fail());
    EXPECT_EQ(missing.error(), 2u);
}

}  // namespace
