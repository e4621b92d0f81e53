// The scan of a profile over the in-memory file system (with the fault injector where a
// failure is needed) and over real temporary directories: its steps, cancel handling,
// content comparison, the entries it cannot synchronise, and the sides it could not see
// whole, each followed by an execution where data could be lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/commands/command_history.h"
#include "engine/format/binary_stream.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "engine/tree/action_codes.h"
#include "engine/watcher.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"
#include "tests/engine/support/kit.h"
#include "tests/engine/support/scripted_watcher.h"
#include "tests/support/temp_dir.h"

namespace {

using kit::kSecond;
using kit::kT0;
using kit::PlanText;

class Prefs : public Core::Preferences {
public:
    int GetTestPatternCount() const override { return testPatternCount; }
    bool GetIgnoreInaccessibleDirs() const override { return ignoreInaccessible; }
    int testPatternCount = 0;
    bool ignoreInaccessible = false;
};

FSTreeNode* Find(CSyncDataBase& db, std::u16string_view path) {
    FSTree::Subtree all(db.GetRoot());
    for (FSTreeNode* node : all)
        if (node->record.GetPath() == CString(path)) return node;
    return nullptr;
}

int CountDatabaseEntries(CSyncDataBase& db) {
    int n = 0;
    FSTree::Subtree all(db.GetRoot());
    for (FSTreeNode* node : all) n += node->record.IsInDatabase() ? 1 : 0;
    return n;
}

// One profile over an in-memory pair of roots /L and /R, reached through the fault
// injector.
struct Profile : kit::MemoryRoots {
    Profile() {
        db.SetFileSystem(&faults);
        db.SetPreferences(&prefs);
        ErrorInfo error;
        EXPECT_EQ(db.Create(u"/L", u"/R", error), 0);
    }
    std::uint32_t Scan(bool contents = false) { return db.Scan(&proxy, &script.watcher, contents); }
    // Scan and execute; the tree is synchronised afterwards.
    void Sync() {
        ASSERT_EQ(Scan(), 0u) << mem.Dump();
        ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED) << mem.Dump();
    }
    // Both roots with the same files, synchronised.
    void SyncedPair() {
        for (const char16_t* side : {u"/L", u"/R"}) {
            const CString s(side);
            mem.AddFile(s + u"/a.txt", "alpha", 0644, kT0);
            mem.AddFile(s + u"/sub/b.txt", "bravo", 0644, kT0);
            mem.AddFile(s + u"/sub/deep/c.txt", "charlie", 0644, kT0);
        }
        Sync();
        ASSERT_EQ(Scan(), 0u);
        ASSERT_EQ(PlanText(proxy), "A.TXT=EQUAL SUB=EQUAL SUB\\B.TXT=EQUAL SUB\\DEEP=EQUAL SUB\\DEEP\\C.TXT=EQUAL");
        logger.Forget();
    }
    void ExpectRightUntouched() {
        EXPECT_EQ(mem.ReadAll(u"/R/a.txt"), "alpha") << mem.Dump();
        EXPECT_EQ(mem.ReadAll(u"/R/sub/b.txt"), "bravo");
        EXPECT_EQ(mem.ReadAll(u"/R/sub/deep/c.txt"), "charlie");
    }

    Prefs prefs;
    kit::RecordingLogger logger;
    CSyncDataBase db{&logger};
    Proxy proxy;
    ScriptedWatcher script;
};

class ScanTest : public ::testing::Test, public Profile {};

TEST_F(ScanTest, FirstScanTakesTheBestChoiceALaterScanLeavesConflicts) {
    mem.AddFile(u"/L/c.txt", "old", 0644, kT0);
    mem.AddFile(u"/R/c.txt", "newer", 0644, kT0 + 10 * kSecond);
    mem.AddFile(u"/L/only-left", "l", 0644, kT0);
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(PlanText(proxy), "C.TXT=CP_S ONLY-LEFT=CP_M");
    EXPECT_EQ(Find(db, u"C.TXT")->record.PA, AMBIGUOUS);
    EXPECT_EQ(db.scanValid, 1);
    ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED);

    // Changed on both sides since: now there is a database, and the conflict stays open.
    mem.DeleteFile(u"/L/c.txt");
    mem.AddFile(u"/L/c.txt", "left change", 0644, kT0 + 20 * kSecond);
    mem.DeleteFile(u"/R/c.txt");
    mem.AddFile(u"/R/c.txt", "right change", 0644, kT0 + 30 * kSecond);
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(PlanText(proxy), "C.TXT=AMBIGUOUS ONLY-LEFT=EQUAL");
    EXPECT_EQ(Find(db, u"C.TXT")->record.BC, CP_S);
}

TEST_F(ScanTest, CancelDuringTheRightCrawlKeepsTheDatabaseAndEmptiesTheIndex) {
    SyncedPair();
    mem.AddFile(u"/L/new", "n");
    script.onEvent = [&](std::uint32_t event, std::uintptr_t value) {
        if (event == WATCHER_EVENT_ITEM_START && value == CSyncDataBase::SCAN_RIGHT) script.watcher.RequestCancel();
    };
    EXPECT_EQ(Scan(), 1u);
    EXPECT_EQ(db.scanValid, 0);
    EXPECT_EQ(proxy.GetCount(), 0u);
    EXPECT_EQ(CountDatabaseEntries(db), 5);
    FSTree::Subtree all(db.GetRoot());
    for (FSTreeNode* node : all) {
        EXPECT_FALSE(node->record.left || node->record.right) << node->record.GetPath().ToUtf8();
        EXPECT_EQ(node->record.AC, INVALID);
    }
    EXPECT_EQ(Find(db, u"NEW"), nullptr);
    EXPECT_EQ(logger.CountRecords(ERROR_CATEGORY_CANCELLED, 0), 1);
    EXPECT_EQ(db.leftBias, NO_BIAS);
}

TEST_F(ScanTest, CancelAfterAStepLogsTheUserCancelOnce) {
    SyncedPair();
    int ends = 0;
    script.onEvent = [&](std::uint32_t event, std::uintptr_t) {
        if (event == WATCHER_EVENT_END && ++ends == 2) script.watcher.RequestCancel();  // after the right crawl
    };
    EXPECT_EQ(Scan(), 1u);
    EXPECT_EQ(logger.CountRecords(ERROR_CATEGORY_CANCELLED, 0), 1);
    EXPECT_EQ(proxy.GetCount(), 0u);
    EXPECT_EQ(CountDatabaseEntries(db), 5);
}

TEST_F(ScanTest, ContentComparisonFindsEqualStampsWithDifferentBytes) {
    SyncedPair();
    // Same size, same times, other bytes.
    mem.DeleteFile(u"/R/a.txt");
    mem.AddFile(u"/R/a.txt", "ALPHA", 0644, kT0);
    ASSERT_EQ(Scan(false), 0u);
    EXPECT_EQ(Find(db, u"A.TXT")->record.AC, EQUAL);
    EXPECT_EQ(db.contentsCompared, 0);

    ScriptedWatcher fresh;
    ASSERT_EQ(db.Scan(&proxy, &fresh.watcher, true), 0u);
    EXPECT_EQ(Find(db, u"A.TXT")->record.AC, AMBIGUOUS);
    EXPECT_EQ(Find(db, u"SUB\\B.TXT")->record.AC, EQUAL);
    EXPECT_EQ(Find(db, u"SUB\\B.TXT")->record.GetContentState(), CONTENT_EQUAL);
    EXPECT_EQ(db.contentsCompared, 1);
    // Both crawls and the comparison.
    EXPECT_EQ(fresh.CountOf(WATCHER_EVENT_BEGIN), 3);
    EXPECT_EQ(fresh.CountOf(WATCHER_EVENT_END), 3);

    // A caller without a watcher: no progress, never cancelled.
    ASSERT_EQ(db.Scan(&proxy, nullptr, true), 0u);
    EXPECT_EQ(Find(db, u"A.TXT")->record.AC, AMBIGUOUS);
}

TEST_F(ScanTest, WithoutAnEqualSizedPairTheComparisonRaisesNoBeginOrEnd) {
    mem.AddFile(u"/L/a", "abc");
    mem.AddFile(u"/R/a", "abcd");
    mem.AddFile(u"/L/b", "b");
    ASSERT_EQ(Scan(true), 0u);
    EXPECT_EQ(script.CountOf(WATCHER_EVENT_BEGIN), 2);
    EXPECT_EQ(script.CountOf(WATCHER_EVENT_END), 2);
    EXPECT_EQ(db.contentsCompared, 0);
}

TEST_F(ScanTest, ScanClearsTheCommandHistory) {
    struct Edit : Command {
        using Command::Command;
        std::uint32_t Do() override { return 2; }
        std::uint32_t Undo() override { return 2; }
        bool IsUndoable() const override { return true; }
    };
    db.commandHistory.Execute(std::make_unique<Edit>(&db, &proxy));
    ASSERT_EQ(db.commandHistory.GetCount(), 1u);
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(db.commandHistory.GetCount(), 0u);
}

// Entries the program cannot synchronise: kept, marked, SKIP on both sides, warned
// about by path, and never deleted, copied or copied over.
TEST(ScanMarks, EntriesThatCannotBeSynchronisedAreMarkedAndLeftAlone) {
    const CString longName(300, u'n');
    struct Case {
        const char* name;
        std::function<void(plat::MemoryFileSystem&)> change;  // applied after a synchronisation
        std::u16string node;                                   // the marked node's path
        std::uint32_t warning;
        CString warnedPath;
    } cases[] = {
        {"a synchronised file became a link",
         [](auto& m) {
             m.DeleteFile(u"/L/a.txt");
             m.AddSymlink(u"/L/a.txt", u"/R/a.txt");
         },
         u"A.TXT", IDS_SCAN_SKIP_SYMLINK, u"/L/a.txt"},
        {"a synchronised directory became a FIFO",
         [](auto& m) {
             m.DeleteFile(u"/L/sub/deep/c.txt");
             m.RemoveDirectory(u"/L/sub/deep");
             m.AddSpecial(u"/L/sub/deep");
         },
         u"SUB\\DEEP", IDS_SCAN_SKIP_SPECIAL, u"/L/sub/deep"},
        {"a name with a backslash", [](auto& m) { m.AddFile(u"/L/sub/x\\y", "xy"); }, u"SUB\\X\\Y",
         IDS_SCAN_SKIP_BACKSLASH, u"/L/sub/x\\y"},
        {"two names differing only in case", [](auto& m) { m.AddFile(u"/L/A.TXT", "other"); }, u"A.TXT",
         IDS_SCAN_SKIP_CASE_TWIN, u"/L/a.txt"},
        {"a name too long for the stamp", [&](auto& m) { m.AddFile(CString(u"/R/sub/") + longName, "long"); },
         u"SUB\\" + CString::ToUpper(longName).str(), IDS_SCAN_SKIP_NAME_TOO_LONG, CString(u"/R/sub/") + longName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile t;
        t.SyncedPair();
        c.change(t.mem);
        const std::string before = t.mem.Dump();
        ASSERT_EQ(t.Scan(), 0u);
        FSTreeNode* node = Find(t.db, c.node);
        ASSERT_NE(node, nullptr) << PlanText(t.proxy);
        EXPECT_TRUE(node->record.FG & FG_NOT_SYNCHRONISABLE);
        FSTree::Subtree marked = FSTree::Subtree::Including(node);
        for (FSTreeNode* n : marked) EXPECT_EQ(n->record.AC, SKIP) << n->record.GetPath().ToUtf8();
        int warnings = 0;
        for (const ErrorInfo& e : t.logger.Entries()) {
            if (e.category != ERROR_CATEGORY_MESSAGE || e.code != c.warning) continue;
            ++warnings;
            EXPECT_EQ(std::int32_t(e.extra), LOG_KIND_WARNING);
            EXPECT_EQ(CString(e.GetText()), c.warnedPath);
        }
        EXPECT_EQ(warnings, 1);
        ASSERT_EQ(t.db.Execute(t.proxy, t.script.watcher), RUN_FINISHED);
        EXPECT_EQ(t.mem.Dump(), before);
    }
}

TEST_F(ScanTest, TemporaryLeftoversAreRemovedAndNeverPlanned) {
    const CString leftover = CString(u"/R/") + plat::kTemporaryPrefix + u"x1x1x1x1";
    mem.AddFile(leftover, "half a copy", plat::kTemporaryMode);
    mem.AddFile(u"/L/a", "a");
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(PlanText(proxy), "A=CP_M");
    EXPECT_FALSE(mem.Exists(leftover));
    EXPECT_EQ(logger.CountMessages(IDS_SCAN_TEMPORARY_REMOVED), 1);
}

// A side the scan could not see whole never deletes anything on the other side.
TEST(ScanSafety, ARootThatWasNotSeenWholeEndsTheScanAndDeletesNothing) {
    auto emptyLeft = [](Profile& t) {
        for (const char16_t* p : {u"/L/sub/deep/c.txt", u"/L/sub/b.txt", u"/L/a.txt"}) t.mem.DeleteFile(p);
        t.mem.RemoveDirectory(u"/L/sub/deep");
        t.mem.RemoveDirectory(u"/L/sub");
    };
    struct Case {
        const char* name;
        std::function<void(Profile&)> change;
        std::uint32_t error;
    } cases[] = {
        {"left root removed",
         [&](Profile& t) {
             emptyLeft(t);
             t.mem.RemoveDirectory(u"/L");
         },
         IDS_SCAN_WALK_INCOMPLETE},
        {"left root empty (a disk not mounted)", emptyLeft, IDS_SCAN_ROOT_LISTS_NOTHING},
        {"left root unreadable",
         [](Profile& t) {
             t.faults.FailOn(plat::FsOp::ListDirectory, u"/L", win32::ERROR_ACCESS_DENIED, plat::PathMatch::Exact,
                             plat::Repeat::Always);
         },
         IDS_SCAN_WALK_INCOMPLETE},
        {"left root listing breaks off",
         [](Profile& t) { t.faults.FailListingAfter(u"/L", 3, win32::ERROR_IO_DEVICE); }, IDS_SCAN_WALK_INCOMPLETE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile t;
        t.SyncedPair();
        c.change(t);
        t.script.answers = {WATCHER_ANSWER_IGNORE};  // skip whatever is asked about
        EXPECT_EQ(t.Scan(), 1u);
        EXPECT_EQ(t.db.scanValid, 0);
        EXPECT_EQ(t.proxy.GetCount(), 0u);
        EXPECT_EQ(t.logger.CountMessages(c.error, LOG_KIND_ERROR), 1);
        EXPECT_EQ(t.logger.CountRecords(ERROR_CATEGORY_CANCELLED, 0), 0);
        EXPECT_EQ(CountDatabaseEntries(t.db), 5);
        t.faults.ClearFaults();
        t.db.Execute(t.proxy, t.script.watcher);
        t.ExpectRightUntouched();
    }
}

TEST(ScanSafety, ADirectoryThatCannotBeListedIsLeftAloneBelow) {
    auto denied = [](Profile& t) {
        t.faults.FailOn(plat::FsOp::ListDirectory, u"/L/sub", win32::ERROR_ACCESS_DENIED, plat::PathMatch::Exact,
                        plat::Repeat::Always);
    };
    struct Case {
        const char* name;
        bool ignoreInaccessible;
        std::vector<int> answers;
        std::function<void(Profile&)> fault;
    } cases[] = {
        {"access denied, ignored by preference", true, {}, denied},
        {"access denied, skipped by the user", false, {WATCHER_ANSWER_IGNORE}, denied},
        {"listing breaks off, skipped by the user", false, {WATCHER_ANSWER_IGNORE},
         [](Profile& t) { t.faults.FailListingAfter(u"/L/sub", 3, win32::ERROR_IO_DEVICE); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile t;
        t.SyncedPair();
        // The other side changed meanwhile: a deletion and a change below the directory.
        t.mem.DeleteFile(u"/R/sub/b.txt");
        t.prefs.ignoreInaccessible = c.ignoreInaccessible;
        c.fault(t);
        t.script.answers.assign(c.answers.begin(), c.answers.end());
        ASSERT_EQ(t.Scan(), 0u);
        FSTreeNode* sub = Find(t.db, u"SUB");
        ASSERT_NE(sub, nullptr);
        EXPECT_TRUE(sub->record.FG & FG_LEFT_INACCESSIBLE);
        EXPECT_FALSE(sub->record.FG & FG_RIGHT_INACCESSIBLE);
        EXPECT_EQ(Find(t.db, u"SUB\\DEEP")->record.left, nullptr);  // its contents are missing on the left
        EXPECT_NE(Find(t.db, u"SUB\\DEEP")->record.right, nullptr);
        EXPECT_EQ(PlanText(t.proxy), "A.TXT=EQUAL SUB=EQUAL SUB\\B.TXT=SKIP SUB\\DEEP=SKIP SUB\\DEEP\\C.TXT=SKIP");
        EXPECT_EQ(t.db.Execute(t.proxy, t.script.watcher), RUN_FINISHED);
        EXPECT_EQ(t.mem.ReadAll(u"/L/sub/b.txt"), "bravo");
        EXPECT_EQ(t.mem.ReadAll(u"/R/sub/deep/c.txt"), "charlie");
        EXPECT_EQ(t.mem.ReadAll(u"/L/sub/deep/c.txt"), "charlie");
    }
}

TEST_F(ScanTest, LoadedNestedRootsAreRefused) {
    mem.AddDirectory(u"/L/inner");
    db.rightRoot = u"/L/inner/";
    EXPECT_EQ(Scan(), 1u);
    EXPECT_EQ(logger.CountRecords(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS), 1);
    EXPECT_EQ(db.scanValid, 0);
}

TEST(ScanSafety, AnEmptyLoadedRootIsAMissingDirectory) {
    for (bool leftEmpty : {true, false}) {
        SCOPED_TRACE(leftEmpty ? "left root empty" : "right root empty");
        Profile t;
        t.SyncedPair();
        (leftEmpty ? t.db.leftRoot : t.db.rightRoot).Empty();
        EXPECT_EQ(t.Scan(), 1u);
        EXPECT_EQ(t.db.scanValid, 0);
        EXPECT_EQ(t.logger.CountRecords(ERROR_CATEGORY_SYSTEM, win32::ERROR_PATH_NOT_FOUND), 1);
        EXPECT_EQ(t.logger.CountRecords(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS), 0);
        EXPECT_EQ(CountDatabaseEntries(t.db), 5);
    }
}

// A path below a root longer than the file system takes is kept as not synchronisable,
// and what the scan leaves in the profile loads again. The bound holds for the real names
// (what the file system takes) and for the upper-cased node names (what the profile
// stores, longer for some letters).
TEST(ScanMarks, APathLongerThanARealPathIsMarkedAndTheProfileLoadsAgain) {
    const struct {
        const char* what;
        CString name;         // of each directory in the chain
        std::size_t fitting;  // the directories whose paths fit below "/L/"
    } cases[] = {
        // 20 x 201 - 1 = 4019 bytes fit; 21 x 201 - 1 = 4220 do not.
        {"long names", CString(200, u'n'), 20},
        // On disk 2 bytes a letter, upper-cased 3: 13 x 301 - 1 = 3912 bytes fit.
        {"names longer when upper-cased", CString(100, u'\u0250'), 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Profile t;
        CString path = u"/L";
        for (std::size_t i = 0; i <= c.fitting; ++i) {
            path += u"/";
            path += c.name;
            ASSERT_TRUE(t.mem.AddDirectory(path));
        }
        const CString beyond = path;
        ASSERT_TRUE(t.mem.AddFile(beyond + u"/f.txt", "f"));
        ASSERT_EQ(t.Scan(), 0u);
        ASSERT_EQ(t.proxy.GetCount(), c.fitting + 1);
        const ProxyEntry& last = t.proxy.Entries().back();
        EXPECT_TRUE(last.node->record.FG & FG_NOT_SYNCHRONISABLE);
        EXPECT_EQ(last.node->record.AC, SKIP);
        EXPECT_TRUE(last.node->children.empty());  // never walked into
        for (std::size_t i = 0; i < c.fitting; ++i) EXPECT_EQ(t.proxy.Entries()[i].node->record.AC, CP_M) << i;
        EXPECT_EQ(t.logger.CountMessages(IDS_SCAN_SKIP_PATH_TOO_LONG, LOG_KIND_WARNING), 1);
        for (const ErrorInfo& e : t.logger.Entries()) {
            if (e.code == IDS_SCAN_SKIP_PATH_TOO_LONG) {
                EXPECT_EQ(CString(e.GetText()), beyond);
            }
        }
        ASSERT_EQ(t.db.Execute(t.proxy, t.script.watcher), RUN_FINISHED);
        EXPECT_FALSE(t.mem.Exists(CString(u"/R") + beyond.view().substr(2)));
        EXPECT_TRUE(t.mem.Exists(CString(u"/R") + plat::ParentPath(beyond).view().substr(2)));

        MemoryWriter saved;
        ErrorInfo error;
        ASSERT_TRUE(t.db.Save(saved, 3, 0, 0, 0, error));
        CSyncDataBase loaded(nullptr);
        MemoryReader in(saved.Bytes());
        ASSERT_TRUE(loaded.Load(in, nullptr, nullptr, nullptr, nullptr, error));
        EXPECT_EQ(CountDatabaseEntries(loaded), int(c.fitting));
    }
}

TEST_F(ScanTest, TestPatternReplacesTheFileSystem) {
    prefs.testPatternCount = 200;
    ASSERT_EQ(Scan(), 0u);
    EXPECT_EQ(proxy.GetCount(), 200u);
    // The same generated tree on both sides: equal stamps become database updates.
    for (const ProxyEntry& entry : proxy.Entries()) EXPECT_EQ(entry.node->record.PA, AMBIGUOUS);
}

// A profile over two real temporary directories.
struct PosixProfile {
    void Create() {
        ErrorInfo error;
        ASSERT_EQ(db.Create(left.Root(), right.Root(), error), 0);
    }
    TempDir left;
    TempDir right;
    kit::RecordingLogger logger;
    CSyncDataBase db{&logger};
    Proxy proxy;
    ScriptedWatcher script;
};

TEST(PosixScan, ScanExecuteAndRescanOverRealDirectories) {
    PosixProfile t;
    auto& [left, right, logger, db, proxy, script] = t;
    left.WriteFile("docs/readme.txt", "hello");
    left.WriteFile("top.txt", "top");
    right.WriteFile("docs/other.txt", "other");
    left.MakeSymlink("top.txt", "link");
    t.Create();
    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    EXPECT_EQ(PlanText(proxy), "DOCS=UPDATE_D DOCS\\OTHER.TXT=CP_S DOCS\\README.TXT=CP_M LINK=SKIP TOP.TXT=CP_M");
    ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED);
    EXPECT_EQ(right.ReadFile("docs/readme.txt"), "hello");
    EXPECT_EQ(left.ReadFile("docs/other.txt"), "other");
    EXPECT_FALSE(right.Exists("link"));

    ASSERT_EQ(db.Scan(&proxy, &script.watcher, true), 0u);
    EXPECT_EQ(PlanText(proxy), "DOCS=EQUAL DOCS\\OTHER.TXT=EQUAL DOCS\\README.TXT=EQUAL LINK=SKIP TOP.TXT=EQUAL");
}

// Names of the copy's temporary form on real directories: a user's directory, link and
// file of another mode are entries like any other and are synchronised (the link is left
// alone as every link is); only regular files of the form and mode the program creates are
// removed as leftovers, each with its own log line.
TEST(PosixScan, OnlyLeftoversOfTheProgramsOwnFormAndModeAreRemoved) {
    PosixProfile t;
    auto& [left, right, logger, db, proxy, script] = t;
    left.WriteFile(".wk~photos01/a.jpg", "jpeg");
    left.WriteFile(".wk~notes123", "notes");  // 0644 by the umask
    left.MakeSymlink(".wk~notes123", ".wk~linklink");
    const std::vector<std::string> leftovers = {".wk~0000abcd", "docs/.wk~0000efgh"};
    for (const std::string& leftover : leftovers) {
        left.WriteFile(leftover, "half a copy");
        std::filesystem::permissions(left.Path(leftover), std::filesystem::perms(plat::kTemporaryMode));
    }
    t.Create();
    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    EXPECT_EQ(PlanText(proxy),
              ".WK~LINKLINK=SKIP .WK~NOTES123=CP_M .WK~PHOTOS01=CP_M .WK~PHOTOS01\\A.JPG=CP_M DOCS=CP_M");
    std::vector<std::string> removed;
    for (const ErrorInfo& e : logger.Entries()) {
        if (e.category == ERROR_CATEGORY_MESSAGE && e.code == IDS_SCAN_TEMPORARY_REMOVED)
            removed.push_back(CString(e.GetText()).ToUtf8());
    }
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed,
              (std::vector<std::string>{left.CPath(leftovers[0]).ToUtf8(), left.CPath(leftovers[1]).ToUtf8()}));
    for (const std::string& leftover : leftovers) EXPECT_FALSE(left.Exists(leftover));
    ASSERT_EQ(db.Execute(proxy, script.watcher), RUN_FINISHED);
    EXPECT_EQ(right.ReadFile(".wk~photos01/a.jpg"), "jpeg");
    EXPECT_EQ(right.ReadFile(".wk~notes123"), "notes");
    EXPECT_FALSE(right.Exists(".wk~linklink"));
    ASSERT_EQ(db.Scan(&proxy, &script.watcher, false), 0u);
    EXPECT_EQ(PlanText(proxy),
              ".WK~LINKLINK=SKIP .WK~NOTES123=EQUAL .WK~PHOTOS01=EQUAL .WK~PHOTOS01\\A.JPG=EQUAL DOCS=EQUAL");
}

}  // namespace
