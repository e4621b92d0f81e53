// Execution of a plan over the in-memory file system (permissions enforced) with the
// fault injector: outcomes, order, retries, cancel, other-kind targets, permissions and
// the checks against a disk that changed after the scan.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/execute/sync_executor.h"
#include "engine/watcher.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "tests/engine/support/execution_fixture.h"
#include "tests/engine/support/scripted_watcher.h"

namespace {

using plat::FsOp;

using kit::kT0;
constexpr FileTime kLater = kit::T(10);

struct TestPreferences : Core::Preferences {
    bool ownCopy = false;
    int retryDelay = 0;
    int bufferSize = 0;
    int GetAutoRetryDelayOnError() const override { return retryDelay; }
    int GetCopyBufferSize() const override { return bufferSize; }
    bool GetCopyTraditional() const override { return ownCopy; }
};

// Replaces a file's contents and gives it a last-write time, as a user's editor would.
void Rewrite(plat::FileSystem& fs, const CString& path, std::string_view bytes, FileTime when) {
    auto f = fs.CreateFile(path, plat::CreateMode::CreateAlways, 0644);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(f->SetTimes(nullptr, &when, &when));
    ASSERT_TRUE(f->Close());
}

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 12345;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

// Two empty roots /L/ and /R/ on an in-memory file system behind the fault injector.
struct Sides : kit::MemoryRoots {
    ExecutionFixture& Plan() {
        if (!plan) {
            plan = std::make_unique<ExecutionFixture>(fs, u"/L/", u"/R/");
            plan->db.SetPreferences(&prefs);
        }
        return *plan;
    }
    RunResult Execute() {
        Plan().Build();
        return Plan().Execute(watcher);
    }
    // The same bytes in f on both sides, planned EQUAL.
    FSTreeNode* SameFile(const std::string& bytes) {
        mem.AddFile(u"/L/f", bytes);
        mem.AddFile(u"/R/f", bytes);
        return Plan().Entry("f", EQUAL);
    }
    // The executor's content comparison of the entry (buffer bufferSize, automatic retry
    // delay retryDelay) between the watcher's Begin and End.
    bool CompareContents(FSTreeNode& node, int bufferSize, int retryDelay, ErrorInfo& error) {
        SyncExecutor executor(&fs);
        executor.Init(u"/L/", u"/R/", &watcher.watcher, bufferSize, retryDelay, false);
        watcher.watcher.Begin(0);
        const bool result = executor.CompareContents(node, 0, error);
        watcher.watcher.End();
        return result;
    }
    bool HasTemporary() const { return mem.Dump().find(".wk~") != std::string::npos; }
    std::string Read(const char16_t* path) const { return mem.ReadAll(path).value_or("(none)"); }

    plat::FaultFileSystem& fs = faults;
    TestPreferences prefs;
    ScriptedWatcher watcher;
    std::unique_ptr<ExecutionFixture> plan;
};

class ExecuteTest : public ::testing::Test, public Sides {};

// Runs body on fresh sides once with the executor's own copy and once with the system
// copy.
void ForBothCopies(const std::function<void(Sides&)>& body) {
    for (const bool ownCopy : {true, false}) {
        SCOPED_TRACE(ownCopy ? "own copy" : "system copy");
        Sides t;
        t.prefs.ownCopy = ownCopy;
        body(t);
    }
}

// --- The one table of outcomes ----------------------------------------------------------

enum class Db { Kept, Dropped, Updated };

struct OutcomeCase {
    const char* name;
    ActionCode code;
    bool rightPresent;  // the right file exists at the scan
    // Runs after the plan is made (a changed disk) and before the execution.
    std::function<void(Sides&)> change;
    std::deque<int> answers;
    SyncStatus status;
    RunResult result;
    Db db;
    const char* left;   // contents afterwards ("(none)" = absent)
    const char* right;
};

TEST_F(ExecuteTest, OutcomeOfEveryCodeAndEnd) {
    auto failOpen = [](Sides& t) { t.fs.FailOn(FsOp::OpenRead, u"/L/f.txt", 5, plat::PathMatch::Exact, plat::Repeat::Always);
                                         t.fs.FailOn(FsOp::CopyFile, u"/L/f.txt", 5, plat::PathMatch::Exact, plat::Repeat::Always); };
    auto cancelAtStart = [](Sides& t) {
        t.watcher.onEvent = [&t](std::uint32_t event, std::uintptr_t) {
            if (event == WATCHER_EVENT_ITEM_START) t.watcher.watcher.RequestCancel();
        };
    };
    auto userEditsRight = [](Sides& t) { Rewrite(t.mem, u"/R/f.txt", "edited after the scan", kLater); };
    auto userEditsLeft = [](Sides& t) { Rewrite(t.mem, u"/L/f.txt", "edited after the scan", kLater); };
    auto rightAppears = [](Sides& t) { t.mem.AddFile(u"/R/f.txt", "appeared"); };
    auto failDelete = [](Sides& t) {
        t.fs.FailOn(FsOp::DeleteFile, u"/R/f.txt", 5, plat::PathMatch::Exact, plat::Repeat::Always);
    };
    const OutcomeCase cases[] = {
        {"copy done", CP_M, true, nullptr, {}, DONE, RUN_FINISHED, Db::Updated, "new", "new"},
        {"copy into nothing", CP_M, false, nullptr, {}, DONE, RUN_FINISHED, Db::Updated, "new", "new"},
        {"copy failed, abort", CP_M, true, failOpen, {1}, FAILED, RUN_CANCELLED, Db::Kept, "new", "old"},
        {"copy failed, no decision", CP_M, true, failOpen, {0}, FAILED, RUN_CANCELLED, Db::Kept, "new", "old"},
        {"copy ignored", CP_M, true, failOpen, {4}, FAILED, RUN_FINISHED_WITH_ERRORS, Db::Kept, "new", "old"},
        {"copy cancelled", CP_M, true, cancelAtStart, {}, CANCELLED, RUN_CANCELLED, Db::Kept, "new", "old"},
        {"target edited after the scan", CP_M, true, userEditsRight, {}, FAILED, RUN_FINISHED_WITH_ERRORS, Db::Kept,
         "new", "edited after the scan"},
        {"source edited after the scan", CP_M, true, userEditsLeft, {}, FAILED, RUN_FINISHED_WITH_ERRORS, Db::Kept,
         "edited after the scan", "old"},
        {"target appeared after the scan", CP_M, false, rightAppears, {4}, FAILED, RUN_FINISHED_WITH_ERRORS,
         Db::Kept, "new", "appeared"},
        {"copy back", CP_S, true, nullptr, {}, DONE, RUN_FINISHED, Db::Updated, "old", "old"},
        {"delete done", DEL_S, true, nullptr, {}, DONE, RUN_FINISHED, Db::Dropped, "new", "(none)"},
        {"delete failed, ignored", DEL_S, true, failDelete, {4}, FAILED, RUN_FINISHED_WITH_ERRORS, Db::Kept, "new",
         "old"},
        {"delete failed, abort", DEL_S, true, failDelete, {1}, FAILED, RUN_CANCELLED, Db::Kept, "new", "old"},
        {"delete of a file edited after the scan", DEL_S, true, userEditsRight, {}, FAILED,
         RUN_FINISHED_WITH_ERRORS, Db::Kept, "new", "edited after the scan"},
        {"delete left", DEL_M, true, nullptr, {}, DONE, RUN_FINISHED, Db::Dropped, "(none)", "old"},
        {"invalid", INVALID, true, nullptr, {}, SKIPPED, RUN_FINISHED, Db::Kept, "new", "old"},
        {"equal", EQUAL, true, nullptr, {}, SKIPPED, RUN_FINISHED, Db::Kept, "new", "old"},
        {"ambiguous", AMBIGUOUS, true, nullptr, {}, SKIPPED, RUN_FINISHED, Db::Kept, "new", "old"},
        {"skip", SKIP, true, nullptr, {}, SKIPPED, RUN_FINISHED, Db::Kept, "new", "old"},
        {"drop from the database", DEL_D, true, nullptr, {}, DONE, RUN_FINISHED, Db::Dropped, "new", "old"},
        {"update the database", UPDATE_D, true, nullptr, {}, DONE, RUN_FINISHED, Db::Updated, "new", "old"},
    };
    for (const bool ownCopy : {true, false}) {
        for (const OutcomeCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (ownCopy ? " (own copy)" : " (system copy)"));
            Sides t;
            t.prefs.ownCopy = ownCopy;
            // The last synchronised state: a 3-byte file on both sides, remembered.
            t.mem.AddFile(u"/L/f.txt", "old", 0644, kT0 - kFileTimeUnitsPerSecond);
            if (c.rightPresent) t.mem.AddFile(u"/R/f.txt", "old", 0644, kT0 - kFileTimeUnitsPerSecond);
            FSTreeNode* node = t.Plan().Entry("f.txt", c.code);
            ExecutionFixture::Remember(node);
            const FileStampPair before = *node->record.db;
            // Since then the left file was changed; the scan saw that.
            Rewrite(t.mem, u"/L/f.txt", "new", kT0);
            node = t.Plan().Entry("f.txt", c.code);
            if (c.change) c.change(t);
            t.watcher.answers = c.answers;

            EXPECT_EQ(t.Execute(), c.result);
            const CSyncRecord& r = node->record;
            EXPECT_EQ(r.ST, c.status);
            EXPECT_EQ(t.Read(u"/L/f.txt"), c.left);
            EXPECT_EQ(t.Read(u"/R/f.txt"), c.right);
            EXPECT_FALSE(t.HasTemporary()) << t.mem.Dump();
            switch (c.db) {
                case Db::Kept:
                    ASSERT_TRUE(r.db);
                    EXPECT_TRUE(r.db->left == before.left && r.db->right == before.right);
                    break;
                case Db::Dropped: EXPECT_FALSE(r.db); break;
                case Db::Updated: {
                    ASSERT_TRUE(r.db);
                    // The pair describes both files as they are now.
                    plat::FindData l, rr;
                    ASSERT_TRUE(t.mem.GetFindData(u"/L/f.txt", l));
                    ASSERT_TRUE(t.mem.GetFindData(u"/R/f.txt", rr));
                    EXPECT_EQ(r.db->left.lastWriteTime, l.lastWriteTime);
                    EXPECT_EQ(r.db->right.lastWriteTime, rr.lastWriteTime);
                    EXPECT_EQ(r.db->left.GetSize(), l.Size());
                    EXPECT_EQ(r.db->right.GetSize(), rr.Size());
                    break;
                }
            }
            // Every failure but a cancel is logged as an error record.
            const bool logged = !t.Plan().log.entries.empty();
            EXPECT_EQ(logged, c.status == FAILED || c.status == CANCELLED);
        }
    }
}

// A copy keeps the source's last-write time and permission bits.
TEST_F(ExecuteTest, CopyKeepsTimesAndModes) {
    for (const bool ownCopy : {true, false}) {
        SCOPED_TRACE(ownCopy ? "own copy" : "system copy");
        prefs.ownCopy = ownCopy;
        const CString name = ownCopy ? u"own.sh" : u"system.sh";
        mem.AddFile(u"/L/" + name, "#!/bin/sh\n", 0750, kT0 - 5 * kFileTimeUnitsPerSecond);
        Plan().Entry(name.ToUtf8(), CP_M);
    }
    EXPECT_EQ(Execute(), RUN_FINISHED);
    for (const char16_t* name : {u"own.sh", u"system.sh"}) {
        plat::FindData l, r;
        ASSERT_TRUE(mem.GetFindData(CString(u"/L/") + name, l));
        ASSERT_TRUE(mem.GetFindData(CString(u"/R/") + name, r));
        EXPECT_EQ(r.mode, 0750u);
        EXPECT_EQ(r.lastWriteTime, l.lastWriteTime);
    }
}

// The run counts what it did on the disk by kind, alike for both copies; a failed entry
// and a second run of the same plan count nothing.
TEST_F(ExecuteTest, CountsTheOperationsByKind) {
    ForBothCopies([&](Sides& t) {
        plat::MemoryFileSystem& m = t.mem;
        m.AddFile(u"/L/new/x.txt", "x");  // a directory made, a file copied into it
        m.AddFile(u"/L/f.txt", "new");    // a file over a file
        m.AddFile(u"/R/f.txt", "old");
        m.AddFile(u"/L/x", "file");  // a file over an empty directory
        m.AddDirectory(u"/R/x");
        m.AddDirectory(u"/L/d");  // a directory over a file
        m.AddFile(u"/R/d", "file");
        m.AddFile(u"/R/gone.txt", "g");  // deleted
        m.AddFile(u"/L/ro/n.txt", "n");  // copied into a read-only directory
        m.AddDirectory(u"/R/ro", 0555);
        m.AddFile(u"/L/fail.txt", "f");   // fails, answered ignore
        m.AddFile(u"/L/eq.txt", "same");  // nothing to do
        m.AddFile(u"/R/eq.txt", "same");
        for (const char* p : {"new", "new/x.txt", "f.txt", "x", "d", "ro/n.txt", "fail.txt"}) t.Plan().Entry(p, CP_M);
        t.Plan().Entry("gone.txt", DEL_S);
        t.Plan().Entry("eq.txt", EQUAL);
        t.fs.FailOn(FsOp::OpenRead, u"/L/fail.txt", win32::ERROR_IO_DEVICE, plat::PathMatch::Exact,
                    plat::Repeat::Always);
        t.fs.FailOn(FsOp::CopyFile, u"/L/fail.txt", win32::ERROR_IO_DEVICE, plat::PathMatch::Exact,
                    plat::Repeat::Always);
        t.watcher.answers = {WATCHER_ANSWER_IGNORE};
        EXPECT_EQ(t.Execute(), RUN_FINISHED_WITH_ERRORS);
        ExecutionCounts want;
        want.copies = 4;              // new/x.txt, f.txt, x, ro/n.txt
        want.deletions = 3;           // the directory x, the file d, gone.txt
        want.directoryCreations = 2;  // new, d
        want.modeSets = 4;            // the final bits of new and d, ro made writable and restored
        EXPECT_TRUE(t.Plan().counts == want)
            << t.Plan().counts.copies << " copies, " << t.Plan().counts.deletions << " deletions, "
            << t.Plan().counts.directoryCreations << " directories, " << t.Plan().counts.modeSets << " modes";
        EXPECT_EQ(t.mem.Dump(u"/R/ro"), "d 0555 /R/ro\nf 0644 1 /R/ro/n.txt\n");

        ScriptedWatcher again;
        t.Plan().Execute(again);
        EXPECT_TRUE(t.Plan().counts == ExecutionCounts()) << t.Plan().counts.copies << " copies";
    });
}

// A temporary file keeps the mode it was made with until it leaves its temporary name, so
// that a copy cut short at any point (a kill just before a rename) leaves only what the
// crawl removes as a leftover, never a file of the source's mode that it would take for a
// user's own. The placed file has the source's mode.
TEST_F(ExecuteTest, ATemporaryFileKeepsTheTemporaryModeUntilItIsPlaced) {
    for (const bool ownCopy : {true, false}) {
        for (const char* target : {"none", "a file", "an empty directory"}) {
            SCOPED_TRACE(std::string(target) + (ownCopy ? " (own copy)" : " (system copy)"));
            auto t = std::make_unique<Sides>();
            t->prefs.ownCopy = ownCopy;
            t->mem.AddFile(u"/L/run.sh", "#!/bin/sh\n", 0755);
            if (std::string(target) == "a file") t->mem.AddFile(u"/R/run.sh", "old", 0644);
            if (std::string(target) == "an empty directory") t->mem.AddDirectory(u"/R/run.sh");
            std::vector<std::uint32_t> modes;  // of every temporary file as it is renamed
            t->fs.SetCallHook([&](FsOp op, const CString& path) {
                if (op != FsOp::MoveFile || !plat::IsTemporaryName(plat::LastComponent(path).view())) return;
                plat::FindData fd;
                if (t->mem.GetFindData(path, fd)) modes.push_back(fd.mode);
            });
            t->Plan().Entry("run.sh", CP_M);
            EXPECT_EQ(t->Execute(), RUN_FINISHED);
            t->fs.SetCallHook({});
            ASSERT_FALSE(modes.empty());
            for (std::uint32_t mode : modes) EXPECT_EQ(mode, plat::kTemporaryMode);
            EXPECT_EQ(t->mem.Dump(u"/R/run.sh"), "f 0755 10 /R/run.sh\n");
            EXPECT_FALSE(t->HasTemporary());
        }
    }
}

// --- Order and repetition ---------------------------------------------------------------

// An undoable edit of the plan, to see the history cleared.
struct EditCommand : Command {
    EditCommand() : Command(nullptr, nullptr) {}
    std::uint32_t Do() override { return 2; }
    std::uint32_t Undo() override { return 2; }
    bool IsUndoable() const override { return true; }
};

TEST_F(ExecuteTest, DeletesChildrenFirstCreatesParentsFirstAndASecondRunDoesNothing) {
    mem.AddFile(u"/R/old/a.txt", "a");
    mem.AddFile(u"/R/old/sub/b.txt", "b");
    mem.AddFile(u"/L/new/x.txt", "x");
    mem.AddFile(u"/L/new/deep/y.txt", "y");
    for (const char* p : {"old", "old/a.txt", "old/sub", "old/sub/b.txt"}) Plan().Entry(p, DEL_S);
    for (const char* p : {"new", "new/x.txt", "new/deep", "new/deep/y.txt"}) Plan().Entry(p, CP_M);
    Plan().db.commandHistory.Execute(std::make_unique<EditCommand>());
    ASSERT_EQ(Plan().db.commandHistory.GetCount(), 1u);
    EXPECT_EQ(Execute(), RUN_FINISHED);
    // Nothing done before the run can be undone after it.
    EXPECT_EQ(Plan().db.commandHistory.GetCount(), 0u);
    // Each entry weighs its size plus one; the overall progress ends at the total.
    const WatcherProgress progress(watcher.watcher.GetProgress());
    EXPECT_EQ(progress.overallTotal, 10u);
    EXPECT_EQ(progress.overallDone, 10u);
    EXPECT_FALSE(mem.Exists(u"/R/old"));
    EXPECT_EQ(Read(u"/R/new/x.txt"), "x");
    EXPECT_EQ(Read(u"/R/new/deep/y.txt"), "y");
    for (const ProxyEntry& e : Plan().proxy.Entries()) EXPECT_EQ(e.node->record.ST, DONE);
    EXPECT_TRUE(watcher.Questions().empty());

    ScriptedWatcher again;
    const std::uint64_t calls = fs.CallCount(FsOp::MoveFile) + fs.CallCount(FsOp::DeleteFile) +
                                fs.CallCount(FsOp::RemoveDirectory) + fs.CallCount(FsOp::CreateDirectory);
    EXPECT_EQ(Plan().Execute(again), RUN_FINISHED);
    EXPECT_EQ(again.CountOf(WATCHER_EVENT_ITEM_START), 0);
    EXPECT_EQ(fs.CallCount(FsOp::MoveFile) + fs.CallCount(FsOp::DeleteFile) + fs.CallCount(FsOp::RemoveDirectory) +
                  fs.CallCount(FsOp::CreateDirectory),
              calls);
}

// --- A target of the other kind ---------------------------------------------------------

TEST_F(ExecuteTest, TargetOfTheOtherKind) {
    struct Case {
        const char* name;
        std::function<void(plat::MemoryFileSystem&)> make;
        SyncStatus status;
        const char* after;  // Dump of /R/x afterwards
    };
    const Case cases[] = {
        {"file replaces an empty directory",
         [](plat::MemoryFileSystem& m) { m.AddFile(u"/L/x", "file"); m.AddDirectory(u"/R/x"); }, DONE,
         "f 0644 4 /R/x\n"},
        {"directory replaces a file",
         [](plat::MemoryFileSystem& m) { m.AddDirectory(u"/L/x"); m.AddFile(u"/R/x", "file"); }, DONE,
         "d 0755 /R/x\n"},
        {"a directory with contents stays",
         [](plat::MemoryFileSystem& m) { m.AddFile(u"/L/x", "file"); m.AddFile(u"/R/x/keep", "k"); }, FAILED,
         "d 0755 /R/x\nf 0644 1 /R/x/keep\n"},
    };
    for (const bool ownCopy : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (ownCopy ? " (own copy)" : " (system copy)"));
            auto t = std::make_unique<Sides>();
            t->prefs.ownCopy = ownCopy;
            c.make(t->mem);
            FSTreeNode* node = t->Plan().Entry("x", CP_M);
            t->watcher.answers = {4};
            t->Execute();
            EXPECT_EQ(node->record.ST, c.status);
            EXPECT_EQ(t->mem.Dump(u"/R/x"), c.after);
            EXPECT_FALSE(t->HasTemporary());
            if (c.status == FAILED) {
                ASSERT_EQ(t->watcher.Questions().size(), 1u);
                EXPECT_EQ(t->watcher.Questions()[0].code, win32::ERROR_DIR_NOT_EMPTY);
            }
        }
    }
}

// --- Retries ------------------------------------------------------------------------

TEST_F(ExecuteTest, AutomaticRetryAndAnswers) {
    struct Case {
        const char* name;
        int delay;
        plat::Repeat repeat;
        std::deque<int> answers;
        std::uint64_t deleteCalls;
        std::size_t questions;
        SyncStatus status;
        RunResult result;
    };
    const Case cases[] = {
        {"no delay asks at once", 0, plat::Repeat::Always, {4}, 1, 1, FAILED, RUN_FINISHED_WITH_ERRORS},
        {"a delay retries once silently", 1, plat::Repeat::Always, {4}, 2, 1, FAILED, RUN_FINISHED_WITH_ERRORS},
        {"one silent retry before each question", 1, plat::Repeat::Always, {3, 4}, 4, 2, FAILED,
         RUN_FINISHED_WITH_ERRORS},
        {"the silent retry succeeds", 1, plat::Repeat::Once, {}, 2, 0, DONE, RUN_FINISHED},
        {"retry answered", 0, plat::Repeat::Once, {3}, 2, 1, DONE, RUN_FINISHED},
        {"an unknown answer retries", 0, plat::Repeat::Once, {7}, 2, 1, DONE, RUN_FINISHED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sides t;
        t.prefs.retryDelay = c.delay;
        t.mem.AddFile(u"/R/gone.txt", "x");
        FSTreeNode* node = t.Plan().Entry("gone.txt", DEL_S);
        t.fs.FailOn(FsOp::DeleteFile, u"/R/gone.txt", 5, plat::PathMatch::Exact, c.repeat);
        t.watcher.answers = c.answers;
        EXPECT_EQ(t.Execute(), c.result);
        EXPECT_EQ(t.fs.CallCount(FsOp::DeleteFile), c.deleteCalls);
        EXPECT_EQ(t.watcher.Questions().size(), c.questions);
        EXPECT_EQ(node->record.ST, c.status);
        for (const ErrorInfo& q : t.watcher.Questions()) {
            EXPECT_EQ(q.category, ERROR_CATEGORY_SYSTEM);
            EXPECT_EQ(q.code, win32::ERROR_ACCESS_DENIED);
            EXPECT_EQ(CString(q.GetText()), CString(u"/R/gone.txt"));
        }
    }
}

// The automatic retry is counted since the last successful step: a retried attempt that
// gets past the step that failed has made progress, so a later step's first failure is
// retried silently too. Replaying the steps before the failure (a retried copy starts
// again from opening the source) is no progress: a step that fails again is asked about.
TEST_F(ExecuteTest, AutomaticRetryCountsFromTheLastSuccessfulStep) {
    struct Case {
        const char* name;
        bool ownCopy;
        std::vector<std::pair<FsOp, const char16_t*>> failOnce;  // in the order the copy meets them
        bool diskFull;                                           // every write beyond 5000 bytes fails
        std::size_t questions;
        SyncStatus status;
    };
    const Case cases[] = {
        {"a read fails once, then a write once",
         true,
         {{FsOp::FileRead, u"/L/f.bin"}, {FsOp::FileWrite, u"/R/f.bin"}},
         false,
         0,
         DONE},
        {"the temporary file fails once, then the rename once",
         true,
         {{FsOp::CreateTemporaryBeside, u"/R/f.bin"}, {FsOp::MoveFile, u"/R/f.bin"}},
         false,
         0,
         DONE},
        {"the system copy fails once, then the new stamp once",
         false,
         {{FsOp::CopyFile, u"/L/f.bin"}, {FsOp::GetFindData, u"/R/f.bin"}},
         false,
         0,
         DONE},
        {"a full disk fails the same write again", true, {}, true, 1, FAILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sides t;
        t.prefs.ownCopy = c.ownCopy;
        t.prefs.retryDelay = 1;
        t.prefs.bufferSize = 4096;
        t.mem.AddFile(u"/L/f.bin", Pattern(10000));
        FSTreeNode* node = t.Plan().Entry("f.bin", CP_M);
        for (const auto& [op, path] : c.failOnce) t.fs.FailOn(op, path, win32::ERROR_IO_DEVICE);
        if (c.diskFull) t.fs.FailWriteAfter(u"/R/f.bin", 5000, win32::ERROR_DISK_FULL);
        t.watcher.answers = {WATCHER_ANSWER_IGNORE};
        t.Execute();
        EXPECT_EQ(t.watcher.Questions().size(), c.questions);
        EXPECT_EQ(node->record.ST, c.status);
        if (c.status == DONE) {
            EXPECT_TRUE(t.mem.ReadAll(u"/R/f.bin") == Pattern(10000));
        }
        EXPECT_FALSE(t.HasTemporary());
    }
}

// An entry whose silent retry was not followed by a success or a question (it found the
// disk changed) leaves the next entry its own silent retry.
TEST_F(ExecuteTest, EveryEntryHasItsOwnAutomaticRetry) {
    prefs.retryDelay = 1;
    mem.AddFile(u"/L/a.txt", "a");
    mem.AddFile(u"/L/b.txt", "b");
    FSTreeNode* a = Plan().Entry("a.txt", CP_M);
    FSTreeNode* b = Plan().Entry("b.txt", CP_M);
    fs.FailOn(FsOp::CopyFile, u"/L/a.txt", win32::ERROR_IO_DEVICE);
    fs.FailOn(FsOp::CopyFile, u"/L/b.txt", win32::ERROR_IO_DEVICE);
    // The user edits a.txt while its copy waits for the retry.
    int copiesOfA = 0;
    fs.SetCallHook([&](FsOp op, const CString& path) {
        if (op == FsOp::CopyFile && path == u"/L/a.txt" && ++copiesOfA == 2)
            Rewrite(mem, u"/L/a.txt", "edited during the copy", kLater);
    });
    EXPECT_EQ(Execute(), RUN_FINISHED_WITH_ERRORS);
    fs.SetCallHook({});
    EXPECT_TRUE(watcher.Questions().empty());
    EXPECT_EQ(a->record.ST, FAILED);
    EXPECT_EQ(b->record.ST, DONE);
    EXPECT_EQ(Read(u"/R/a.txt"), "(none)");
    EXPECT_EQ(Read(u"/R/b.txt"), "b");
}

// Init bounds what any caller gives it: a buffer size of 0 or less is the default, one
// above 64 MiB is 64 MiB, a negative retry delay is none. Copies and comparisons work
// with the bounded buffer, and a failure is asked about at once.
TEST_F(ExecuteTest, InitBoundsTheBufferSizeAndTheRetryDelay) {
    struct Case {
        std::int64_t bufferSize, retryDelay;
        std::uint32_t effectiveBuffer, effectiveDelay;
    };
    const Case cases[] = {
        {1000000000, -1, 64u << 20, 0},
        {-1, -5000, SyncExecutor::kDefaultBufferSize, 0},
        {0, 0, SyncExecutor::kDefaultBufferSize, 0},
        {4096, 1, 4096, 1},
    };
    const std::string data = Pattern(600000);  // more than the default buffer holds
    for (const Case& c : cases) {
        for (const bool ownCopy : {true, false}) {
            SCOPED_TRACE(std::to_string(c.bufferSize) + " bytes, " + std::to_string(c.retryDelay) + " ms" +
                         (ownCopy ? " (own copy)" : " (system copy)"));
            Sides t;
            t.mem.AddFile(u"/L/f.bin", data);
            t.mem.AddFile(u"/L/same.bin", data);
            t.mem.AddFile(u"/R/same.bin", data);
            t.mem.AddFile(u"/R/gone.txt", "x");
            FSTreeNode* copied = t.Plan().Entry("f.bin", CP_M);
            FSTreeNode* compared = t.Plan().Entry("same.bin", EQUAL);
            FSTreeNode* deleted = t.Plan().Entry("gone.txt", DEL_S);
            SyncExecutor executor(&t.fs);
            executor.Init(u"/L/", u"/R/", &t.watcher.watcher, c.bufferSize, c.retryDelay, ownCopy);
            ASSERT_EQ(executor.BufferSize(), c.effectiveBuffer);
            ASSERT_EQ(executor.RetryDelay(), c.effectiveDelay);
            t.watcher.watcher.Begin(0);
            ErrorInfo error;
            EXPECT_TRUE(executor.Run(*copied, 0, error));
            EXPECT_EQ(copied->record.ST, DONE);
            EXPECT_TRUE(t.mem.ReadAll(u"/R/f.bin") == data);
            EXPECT_TRUE(executor.CompareContents(*compared, 0, error));
            EXPECT_EQ(compared->record.GetContentState(), CONTENT_EQUAL);
            // Without a delay the first failure is a question.
            t.fs.FailOn(FsOp::DeleteFile, u"/R/gone.txt", win32::ERROR_ACCESS_DENIED);
            t.watcher.answers = {3};
            EXPECT_TRUE(executor.Run(*deleted, 1, error));
            EXPECT_EQ(t.watcher.Questions().size(), c.effectiveDelay == 0 ? 1u : 0u);
            EXPECT_EQ(deleted->record.ST, DONE);
            t.watcher.watcher.End();
        }
    }
}

// A write that fails part way and is retried starts the file again: the target is
// byte for byte the source, not the source with a repeated piece.
TEST_F(ExecuteTest, RetryAfterAPartialWriteGivesAnIdenticalTarget) {
    const std::string data = Pattern(100000);
    ForBothCopies([&](Sides& t) {
        t.prefs.bufferSize = 4096;
        t.mem.AddFile(u"/L/big.bin", data);
        t.mem.AddFile(u"/R/big.bin", "old");
        FSTreeNode* node = t.Plan().Entry("big.bin", CP_M);
        t.fs.FailWriteAfter(u"/R/", 10000, win32::ERROR_DISK_FULL, plat::PathMatch::Prefix);
        t.watcher.answers = {3};
        t.watcher.onEvent = [&t](std::uint32_t event, std::uintptr_t) {
            if (event == WATCHER_EVENT_QUESTION) t.fs.ClearFaults();
        };
        EXPECT_EQ(t.Execute(), RUN_FINISHED);
        EXPECT_EQ(node->record.ST, DONE);
        ASSERT_EQ(t.watcher.Questions().size(), 1u);
        EXPECT_EQ(t.watcher.Questions()[0].code, win32::ERROR_DISK_FULL);
        EXPECT_EQ(t.watcher.Questions()[0].extra, t.prefs.ownCopy ? 8u : 104u);
        EXPECT_TRUE(t.mem.ReadAll(u"/R/big.bin") == data);
        EXPECT_FALSE(t.HasTemporary());
    });
}

// A cancel during the copy of a large file (after the first chunk for the system copy)
// keeps the old target and leaves no temporary file.
TEST_F(ExecuteTest, CancelDuringACopyKeepsTheOldTarget) {
    ForBothCopies([&](Sides& t) {
        t.prefs.bufferSize = 1000;
        t.mem.AddFile(u"/L/big.bin", Pattern(50000));
        t.mem.AddFile(u"/R/big.bin", "old");
        t.mem.AddFile(u"/L/later.txt", "never copied");
        FSTreeNode* node = t.Plan().Entry("big.bin", CP_M);
        FSTreeNode* later = t.Plan().Entry("later.txt", CP_M);
        t.watcher.onEvent = [&t](std::uint32_t event, std::uintptr_t) {
            if (event == WATCHER_EVENT_ITEM_START) t.watcher.watcher.RequestCancel();
        };
        EXPECT_EQ(t.Execute(), RUN_CANCELLED);
        EXPECT_EQ(node->record.ST, CANCELLED);
        EXPECT_EQ(later->record.ST, CREATED);
        EXPECT_EQ(t.Read(u"/R/big.bin"), "old");
        EXPECT_FALSE(t.mem.Exists(u"/R/later.txt"));
        EXPECT_FALSE(t.HasTemporary());
    });
}

// --- Directories ------------------------------------------------------------------------

// Removing a directory never removes what is still in it.
TEST_F(ExecuteTest, DeletingANonEmptyDirectoryRemovesNothing) {
    struct Case {
        const char* name;
        ActionCode childCode;  // INVALID: the child is not in the plan (created after the scan)
    };
    for (const Case& c : {Case{"protected child", SKIP}, Case{"child to keep", EQUAL}, Case{"new file", INVALID}}) {
        SCOPED_TRACE(c.name);
        Sides t;
        t.mem.AddFile(u"/R/dir/child.txt", "keep me");
        FSTreeNode* dir = t.Plan().Entry("dir", DEL_S);
        if (c.childCode != INVALID) t.Plan().Entry("dir/child.txt", c.childCode);
        t.watcher.answers = {4};
        EXPECT_EQ(t.Execute(), RUN_FINISHED_WITH_ERRORS);
        EXPECT_EQ(dir->record.ST, FAILED);
        ASSERT_EQ(t.watcher.Questions().size(), 1u);
        EXPECT_EQ(t.watcher.Questions()[0].code, win32::ERROR_DIR_NOT_EMPTY);
        EXPECT_EQ(t.Read(u"/R/dir/child.txt"), "keep me");
    }
}

// A read-only source tree is copied completely and the copy ends with the source's modes;
// a read-only target directory takes the new file and keeps its mode; a read-only tree is
// deleted completely.
TEST_F(ExecuteTest, ReadOnlyTreesCopyAndKeepTheirModes) {
    ForBothCopies([&](Sides& t) {
        plat::MemoryFileSystem& m = t.mem;
        m.AddFile(u"/L/ro/a.txt", "a", 0444);
        m.AddFile(u"/L/ro/sub/b.txt", "b", 0400);
        m.AddFile(u"/L/keep/new.txt", "n", 0444);
        m.AddDirectory(u"/R/keep", 0555);
        m.AddFile(u"/R/old/sub/gone.txt", "g", 0444);
        m.SetMode(u"/R/old/sub", 0555);
        m.SetMode(u"/R/old", 0555);
        m.SetMode(u"/L/ro/sub", 0500);
        m.SetMode(u"/L/ro", 0555);
        m.SetMode(u"/L/keep", 0555);
        for (const char* p : {"ro", "ro/a.txt", "ro/sub", "ro/sub/b.txt", "keep/new.txt"}) t.Plan().Entry(p, CP_M);
        for (const char* p : {"old", "old/sub", "old/sub/gone.txt"}) t.Plan().Entry(p, DEL_S);
        EXPECT_EQ(t.Execute(), RUN_FINISHED) << t.mem.Dump();
        EXPECT_EQ(t.mem.Dump(u"/R"),
                  "d 0755 /R\n"
                  "d 0555 /R/keep\n"
                  "f 0444 1 /R/keep/new.txt\n"
                  "d 0555 /R/ro\n"
                  "f 0444 1 /R/ro/a.txt\n"
                  "d 0500 /R/ro/sub\n"
                  "f 0400 1 /R/ro/sub/b.txt\n");
    });
}

// A name that differs only in case on the other side keeps that side's spelling: the
// file exists there under exactly one name.
TEST_F(ExecuteTest, CaseOnlyRenameKeepsOneName) {
    mem.AddFile(u"/L/Docs/README.txt", "renamed and changed");
    mem.AddFile(u"/R/docs/readme.txt", "old");
    Plan().Entry("Docs", EQUAL);
    FSTreeNode* node = Plan().Entry("Docs/README.txt", CP_M);
    // The tree holds one node per name whatever its case; give the right side its own.
    plat::FindData d;
    ASSERT_TRUE(mem.GetFindData(u"/R/docs", d));
    node->parent->record.SetRightStamp(d);
    ASSERT_TRUE(mem.GetFindData(u"/R/docs/readme.txt", d));
    node->record.SetRightStamp(d);
    EXPECT_EQ(Execute(), RUN_FINISHED);
    EXPECT_EQ(mem.Dump(u"/R"), "d 0755 /R\nd 0755 /R/docs\nf 0644 19 /R/docs/readme.txt\n");
}

// --- Progress ---------------------------------------------------------------------------

std::uint64_t g_clock = 0;
bool g_clockRuns = false;
std::uint64_t TestClock() { return g_clockRuns ? g_clock++ : g_clock; }

TEST_F(ExecuteTest, RateAndEmptyFiles) {
    mem.AddFile(u"/L/data.bin", Pattern(10000));
    mem.AddFile(u"/L/empty.txt", "");
    FSTreeNode* data = Plan().Entry("data.bin", CP_M);
    FSTreeNode* empty = Plan().Entry("empty.txt", CP_M);
    Plan().Build();
    struct Case {
        bool clockRuns;
        std::uint32_t rate;
    };
    for (const Case c : {Case{false, 0}, Case{true, 10}}) {
        SCOPED_TRACE(c.clockRuns ? "one second per look at the clock" : "the clock stands");
        g_clock = 1000;
        g_clockRuns = c.clockRuns;
        mem.DeleteFile(u"/R/data.bin");
        mem.DeleteFile(u"/R/empty.txt");
        SyncExecutor executor(&fs);
        executor.SetClock(&TestClock);
        executor.Init(u"/L/", u"/R/", &watcher.watcher, 0, 0, true);
        watcher.watcher.Begin(0);
        std::uint32_t rate = 99;
        std::uint64_t sizePlusOne = 0;
        watcher.onEvent = [&](std::uint32_t event, std::uintptr_t) {
            if (event != WATCHER_EVENT_ITEM_DONE) return;
            WatcherProgress p(watcher.watcher.GetProgress());
            rate = p.rate;
            sizePlusOne = p.itemSizePlusOne;
        };
        ErrorInfo error;
        data->record.ST = CREATED;
        ASSERT_TRUE(executor.Run(*data, 0, error));
        EXPECT_EQ(rate, c.rate);
        // A file of 0 bytes: one empty read, an item of weight 1.
        const std::uint64_t reads = fs.CallCount(FsOp::FileRead);
        empty->record.ST = CREATED;
        ASSERT_TRUE(executor.Run(*empty, 1, error));
        EXPECT_EQ(fs.CallCount(FsOp::FileRead) - reads, 1u);
        EXPECT_EQ(sizePlusOne, 1u);
        EXPECT_EQ(empty->record.ST, DONE);
        EXPECT_EQ(Read(u"/R/empty.txt"), "");
        watcher.watcher.End();
    }
}

// --- Content comparison -----------------------------------------------------------------

TEST_F(ExecuteTest, CompareContents) {
    struct Case {
        const char* name;
        std::string left, right;
        bool failRead;
        int answer;
        bool result;
        int state;
    };
    const std::string big = Pattern(300000);
    std::string bigChanged = big;
    bigChanged[299999] ^= 1;
    const Case cases[] = {
        {"same", big, big, false, 0, true, CONTENT_EQUAL},
        {"last byte differs", big, bigChanged, false, 0, true, CONTENT_DIFFERENT},
        {"both empty", "", "", false, 0, true, CONTENT_EQUAL},
        {"read failure ignored", big, big, true, 4, true, CONTENT_NOT_COMPARED},
        {"read failure, no decision", big, big, true, 0, true, CONTENT_NOT_COMPARED},
        {"read failure aborts the scan", big, big, true, 1, false, CONTENT_NOT_COMPARED},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "f" + std::to_string(n++);
        const CString l = CString(u"/L/") + CString::FromUtf8(name), r = CString(u"/R/") + CString::FromUtf8(name);
        mem.AddFile(l, c.left);
        mem.AddFile(r, c.right);
        FSTreeNode* node = Plan().Entry(name, EQUAL);
        fs.ClearFaults();
        if (c.failRead) fs.FailOn(FsOp::FileRead, r, win32::ERROR_IO_DEVICE);
        watcher.answers = {c.answer};
        ErrorInfo error;
        EXPECT_EQ(CompareContents(*node, 0, 0, error), c.result);
        EXPECT_EQ(node->record.GetContentState(), c.state);
        EXPECT_EQ(error.IsSet(), c.failRead);
        if (c.failRead) {
            EXPECT_EQ(error.extra, 3u);
        }
    }
}

// A retried read failure starts the comparison again from the opening of both files.
TEST_F(ExecuteTest, CompareContentsRetryStartsOver) {
    FSTreeNode* node = SameFile(Pattern(5000));
    fs.FailOn(FsOp::FileRead, u"/R/f", win32::ERROR_IO_DEVICE);
    watcher.answers = {3};
    ErrorInfo error;
    EXPECT_TRUE(CompareContents(*node, 1000, 0, error));
    EXPECT_EQ(node->record.GetContentState(), CONTENT_EQUAL);
    EXPECT_EQ(fs.CallCount(FsOp::OpenRead), 4u);
}

// A comparison whose left read fails once and whose right read then fails once is
// retried silently both times: the second failure came after a successful step.
TEST_F(ExecuteTest, CompareContentsRetriesEachNewFailureSilently) {
    FSTreeNode* node = SameFile(Pattern(5000));
    fs.FailOn(FsOp::FileRead, u"/L/f", win32::ERROR_IO_DEVICE);
    fs.FailOn(FsOp::FileRead, u"/R/f", win32::ERROR_IO_DEVICE);
    ErrorInfo error;
    EXPECT_TRUE(CompareContents(*node, 1000, 1, error));
    EXPECT_TRUE(watcher.Questions().empty());
    EXPECT_FALSE(error.IsSet());
    EXPECT_EQ(node->record.GetContentState(), CONTENT_EQUAL);
}

}  // namespace
