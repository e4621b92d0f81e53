#include "engine/format/signed_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "engine/error_info.h"
#include "platform/core/child_process.h"
#include "platform/core/posix_file_system.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"
#include "tests/engine/support/byte_builder.h"
#include "tests/engine/support/kit.h"
#include "tests/support/temp_dir.h"

namespace {

using kit::ByteBuilder;

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

// --- Temporary files of earlier saves ---------------------------------------------------

// What a save of /p/profile.kem that was cut short leaves (killed before or after its
// temporary file got the old file's mode), and names that only look like it.
const char16_t* const kLeftovers[] = {u"/p/.profile.kem.wk~0000abcd", u"/p/.profile.kem.wk~zz99yy88"};
const char16_t* const kLookAlikes[] = {
    u"/p/.other.kem.wk~0000abcd",     // another profile's
    u"/p/.profile.kem.wk~0000abc",    // one character short
    u"/p/.profile.kem.wk~0000abcde",  // one too many
    u"/p/.profile.kem.wk~0000ABCD",   // not of the form's characters
    u"/p/profile.kem.wk~0000abcd",    // without the leading dot
    u"/p/.wk~0000abcd",               // a copy's temporary file
    u"/p/x.profile.kem.wk~0000abcd",  // another name ending in it
};

class SaveLeftoversTest : public SignedStreamTest {
protected:
    void SetUp() override {
        SignedStreamTest::SetUp();
        ASSERT_TRUE(fs.AddFile(kTarget, "old", 0640));
        ASSERT_TRUE(fs.AddFile(kLeftovers[0], "half", plat::kTemporaryMode));
        ASSERT_TRUE(fs.AddFile(kLeftovers[1], "half", 0640));
        for (const char16_t* path : kLookAlikes) ASSERT_TRUE(fs.AddFile(path, "keep"));
        ASSERT_TRUE(fs.AddDirectory(u"/p/.profile.kem.wk~dddddddd"));  // a directory of the form
    }
    bool Save(const std::string& bytes) {
        SignedOFStream out(fs, kTarget);
        out.SetLogger(&logger);
        out.Write(bytes.data(), bytes.size());
        return out.close();
    }
    void ExpectOnlyLeftoversRemoved() {
        for (const char16_t* path : kLeftovers) EXPECT_FALSE(fs.Exists(path)) << CString(path).ToUtf8();
        for (const char16_t* path : kLookAlikes) EXPECT_TRUE(fs.Exists(path)) << CString(path).ToUtf8();
        EXPECT_TRUE(fs.Exists(u"/p/.profile.kem.wk~dddddddd"));
        std::vector<CString> logged;
        for (const ErrorInfo& e : logger.Entries()) {
            EXPECT_EQ(e.code, std::uint32_t(IDS_SCAN_TEMPORARY_REMOVED));
            logged.emplace_back(e.GetText());
        }
        std::sort(logged.begin(), logged.end());
        EXPECT_EQ(logged, (std::vector<CString>{kLeftovers[0], kLeftovers[1]}));
    }
    kit::RecordingLogger logger;
};

TEST_F(SaveLeftoversTest, ASuccessfulSaveRemovesTheLeftoversOfItsOwnFormOnly) {
    ASSERT_TRUE(Save("new"));
    EXPECT_EQ(fs.ReadAll(kTarget), ByteBuilder().Raw("new").Sign().str());
    ExpectOnlyLeftoversRemoved();
}

TEST_F(SaveLeftoversTest, ALoadRemovesThemToo) {
    EXPECT_EQ(RemoveSaveLeftovers(fs, kTarget, &logger), 2u);
    ExpectOnlyLeftoversRemoved();
    EXPECT_EQ(fs.ReadAll(kTarget), "old");
}

TEST_F(SaveLeftoversTest, AFailedSaveRemovesNothingButItsOwn) {
    plat::FaultFileSystem faulty(fs);
    faulty.FailOn(plat::FsOp::FileFlush, kTarget, 5);  // the temporary file's flush
    SignedOFStream out(faulty, kTarget);
    out.SetLogger(&logger);
    out.Write("new", 3);
    EXPECT_FALSE(out.close());
    for (const char16_t* path : kLeftovers) EXPECT_TRUE(fs.Exists(path));
    EXPECT_TRUE(logger.Entries().empty());
    EXPECT_EQ(fs.ReadAll(kTarget), "old");
}

// A save in progress holds the save lock: neither a load's clean-up nor anything else
// takes its temporary file for a leftover meanwhile, and it completes.
TEST_F(SaveLeftoversTest, ASaveInProgressIsNotDisturbed) {
    SignedOFStream inProgress(fs, kTarget);
    ASSERT_TRUE(inProgress.is_open());
    inProgress.SetLogger(&logger);
    inProgress.Write("theirs", 6);
    ASSERT_TRUE(inProgress.Flush());
    EXPECT_EQ(RemoveSaveLeftovers(fs, kTarget, &logger), 0u);
    for (const char16_t* path : kLeftovers) EXPECT_TRUE(fs.Exists(path));
    ASSERT_TRUE(inProgress.close());
    EXPECT_EQ(fs.ReadAll(kTarget), ByteBuilder().Raw("theirs").Sign().str());
    ExpectOnlyLeftoversRemoved();
}

// On real directories, with another program holding the save lock while it writes its
// temporary file (a shell with flock(1) standing in for it): a load's clean-up leaves everything; once
// that program is killed, its temporary file is a leftover like any other, and the next
// save removes it and the older ones, never another profile's.
TEST(SaveLeftoversPosix, ASaveInProgressInAnotherProgramIsNotDisturbed) {
    if (!std::filesystem::exists("/usr/bin/flock") || !std::filesystem::exists("/bin/sh"))
        GTEST_SKIP() << "no flock(1)";
    TempDir dir;
    const CString profile = dir.CPath("p.kem");
    dir.WriteFile("p.kem", "old");
    dir.WriteFile(".p.kem.wk~0000abcd", "killed long ago");
    dir.WriteFile(".q.kem.wk~0000abcd", "another profile's");
    const std::string theirs = dir.Path(".p.kem.wk~inprogrs").string();
    const std::string ready = dir.Path("ready").string();
    // One process that holds the lock on the directory (its descriptor 9) until it is killed.
    auto child = plat::ChildProcess::Start(
        "/bin/sh", {"-c", "exec 9<'" + dir.Path().string() + "' && /usr/bin/flock -x 9 && echo theirs > '" + theirs +
                              "' && : > '" + ready + "' && exec sleep 60"});
    ASSERT_TRUE(child);
    for (int i = 0; i < 1000 && !std::filesystem::exists(ready); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(ready));
    std::filesystem::remove(ready);

    kit::RecordingLogger logger;
    EXPECT_FALSE(plat::PosixFs().LockDirectory(dir.CPath(), std::chrono::milliseconds(0)));
    EXPECT_EQ(GetLastError(), win32::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(RemoveSaveLeftovers(plat::PosixFs(), profile, &logger), 0u);
    EXPECT_TRUE(dir.Exists(".p.kem.wk~inprogrs"));
    EXPECT_TRUE(dir.Exists(".p.kem.wk~0000abcd"));

    ASSERT_TRUE(child->Signal(plat::ChildProcess::kKill));
    plat::ChildExit exit;
    ASSERT_TRUE(child->Wait(exit));
    SignedOFStream out(plat::PosixFs(), profile);
    out.SetLogger(&logger);
    out.Write("new", 3);
    ASSERT_TRUE(out.close());
    EXPECT_FALSE(dir.Exists(".p.kem.wk~inprogrs"));
    EXPECT_FALSE(dir.Exists(".p.kem.wk~0000abcd"));
    EXPECT_TRUE(dir.Exists(".q.kem.wk~0000abcd"));
    EXPECT_EQ(logger.CountMessages(IDS_SCAN_TEMPORARY_REMOVED, LOG_KIND_INFORMATION), 2);
}

}  // namespace
