// The sync database's state and roots over an in-memory file system.
#include "engine/sync_database.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/commands/command_history.h"
#include "engine/log/logger.h"
#include "engine/path_helpers.h"
#include "engine/proxy.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/decision_table.h"
#include "tests/engine/support/kit.h"
#include "tests/support/temp_dir.h"

namespace {

// A command that always changes something, to fill the history.
class ChangingCommand : public Command {
public:
    ChangingCommand() : Command(nullptr, nullptr) {}
    std::uint32_t Do() override { return 2; }
    std::uint32_t Undo() override { return 2; }
    bool IsUndoable() const override { return true; }
};

// Disk layout of every test:
//   /data/left/ (with a file), /data/left2/, /data/right/, /data/file.txt,
//   /links/l -> /data/left, /links/up -> /data, "/data/odd\" (a name ending in '\').
class DatabaseFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs.AddFile(u"/data/left/a.txt", "a"));
        ASSERT_TRUE(fs.AddDirectory(u"/data/left2"));
        ASSERT_TRUE(fs.AddDirectory(u"/data/right/sub"));
        ASSERT_TRUE(fs.AddFile(u"/data/file.txt", "x"));
        ASSERT_TRUE(fs.AddSymlink(u"/links/l", u"/data/left"));
        ASSERT_TRUE(fs.AddSymlink(u"/links/up", u"/data"));
        ASSERT_TRUE(fs.AddDirectory(u"/data/odd\\"));
        logger.AddView(&log);
        db.SetFileSystem(&fs);
    }
    void TearDown() override { logger.RemoveView(&log); }

    // A tree of three nodes with a command in the history, as a scan and an edit leave it.
    void FillState() {
        FSTree::FindOrInsertChild(FSTree::FindOrInsertChild(db.GetRoot(), u"d"), u"f");
        FSTree::FindOrInsertChild(db.GetRoot(), u"g");
        db.commandHistory.Execute(std::make_unique<ChangingCommand>());
        proxy.Build(db, &db.leftRoot, &db.rightRoot, &db.blobStore);
    }

    plat::MemoryFileSystem fs;
    CLogger logger;
    kit::LogCollector log;
    CSyncDataBase db{&logger};
    Proxy proxy;
};

std::string Str(const CString& s) { return s.ToUtf8(); }

TEST_F(DatabaseFixture, CreateNormalisesBothRoots) {
    const std::u16string deep = u"/data/" + std::u16string(245, u'd');  // 251 characters
    ASSERT_TRUE(fs.AddDirectory(deep));
    struct Case {
        const char16_t* left;
        const char16_t* right;
        const char16_t* leftRoot;
        const char16_t* rightRoot;
    };
    const Case cases[] = {
        {u"/data/left", u"/data/right", u"/data/left/", u"/data/right/"},
        {u"data/left", u"data/right/", u"/data/left/", u"/data/right/"},           // relative
        {u"/data/./right/sub/..//", u"/data/left2", u"/data/right/", u"/data/left2/"},
        {u"/links/l", u"/data/right", u"/data/left/", u"/data/right/"},            // a link root is resolved
        {u"/data/odd\\", u"/data/right", u"/data/odd\\/", u"/data/right/"},        // '\' belongs to the name
        {deep.c_str(), u"/data/right", nullptr, u"/data/right/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Str(c.left));
        ErrorInfo error;
        EXPECT_EQ(0, db.Create(c.left, c.right, error));
        EXPECT_FALSE(error.IsSet());
        EXPECT_EQ(Str(c.leftRoot ? CString(c.leftRoot) : CString(deep + u"/")), Str(db.leftRoot));
        EXPECT_EQ(Str(c.rightRoot), Str(db.rightRoot));
        EXPECT_EQ(1, db.rootsValid);
    }
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(DatabaseFixture, CreateRefusesBadRoots) {
    const std::u16string len258 = u"/data/" + std::u16string(252, u'e');  // fits, '/' makes 259
    const std::u16string len259 = u"/data/" + std::u16string(253, u'e');  // '/' would make 260
    const std::u16string len260 = u"/data/" + std::u16string(254, u'e');
    ASSERT_TRUE(fs.AddDirectory(len258));
    ASSERT_TRUE(fs.AddDirectory(len259));
    struct Case {
        const char* name;
        std::u16string left;
        std::u16string right;
        std::uint32_t category;
        std::uint32_t code;
        bool leftKept;  // the left root stays set (the right one failed)
    };
    const Case cases[] = {
        {"left is a file", u"/data/file.txt", u"/data/right", 2, 1, false},
        {"right is a file", u"/data/left", u"/data/file.txt", 2, 1, true},
        {"left missing", u"/data/none", u"/data/right", 1, 2, false},
        {"right below a missing directory", u"/data/left", u"/none/x", 1, 3, true},
        {"empty", u"", u"/data/right", 1, 3, false},
        {"drive letter", u"C:\\data\\left", u"/data/right", 1, 3, false},
        {"share", u"/data/left", u"\\\\server\\share", 1, 3, true},
        {"260 characters", len260, u"/data/right", 2, 3, false},
        {"259 characters and the separator", u"/data/left", len259, 2, 3, true},
        {"identical", u"/data/left", u"/data/left/", 2, 9, true},
        {"right inside left", u"/data", u"/data/left", 2, 9, true},
        {"left inside right", u"/data/right/sub", u"/data/right", 2, 9, true},
        {"identical through a link", u"/links/l", u"/data/left", 2, 9, true},
        {"nested through a link in the path", u"/data/left", u"/links/up/left/", 2, 9, true},
        {"nested through a link root", u"/links/up", u"/data/right/sub", 2, 9, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.Clear();
        ErrorInfo error;
        EXPECT_EQ(2, db.Create(c.left, c.right, error));
        EXPECT_EQ(c.category, error.category);
        EXPECT_EQ(c.code, error.code);
        EXPECT_EQ(0u, error.extra);
        EXPECT_EQ(c.leftKept, !db.leftRoot.IsEmpty());
        EXPECT_TRUE(db.rightRoot.IsEmpty());
        EXPECT_EQ(0, db.rootsValid);
        ASSERT_EQ(1u, log.entries.size()) << "the error is logged";
        EXPECT_EQ(error.category, log.entries[0].category);
        EXPECT_EQ(error.code, log.entries[0].code);
        EXPECT_EQ(Str(CString(error.GetText())), Str(CString(log.entries[0].GetText())));
    }

    // Near misses that are fine: a longest root, and a sibling whose name shares a prefix.
    ErrorInfo error;
    EXPECT_EQ(0, db.Create(len258, u"/data/right", error));
    EXPECT_EQ(259u, db.leftRoot.GetLength());
    EXPECT_EQ(0, db.Create(u"/data/left", u"/data/left2", error));
}

// A bind mount shows one directory under two unrelated paths: resolving links cannot
// tell, the device and inode numbers can. Here link resolution is made to fail, so only
// the identity check sees that both roots are one directory or nested.
TEST_F(DatabaseFixture, NestingIsJudgedByIdentityWhenPathsDoNotTell) {
    plat::FaultFileSystem faulty(fs);
    faulty.FailOn(plat::FsOp::ResolvePath, u"/", 5, plat::PathMatch::Prefix, plat::Repeat::Always);
    db.SetFileSystem(&faulty);
    struct Case {
        const char16_t* left;
        const char16_t* right;
        int result;
    };
    const Case cases[] = {
        {u"/data/left", u"/links/up/left", 2},
        {u"/links/up/right/sub", u"/data/right", 2},
        {u"/links/up/left", u"/data/right", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Str(c.left) + " " + Str(c.right));
        ErrorInfo error;
        EXPECT_EQ(c.result, db.Create(c.left, c.right, error));
        if (c.result) {
            EXPECT_EQ(ERRCODE_NESTED_ROOTS, error.code);
        }
    }
}

// The same rules over the real file system: links in and at the end of a root.
TEST(DatabaseRoots, OnTheRealFileSystem) {
    TempDir tmp;
    tmp.MakeDirectory("l");
    tmp.MakeDirectory("r");
    tmp.WriteFile("file", "x");
    tmp.MakeSymlink("l", "link");
    tmp.MakeSymlink(".", "up");
    CString base;
    ASSERT_TRUE(plat::PosixFs().ResolvePath(tmp.Root(), base));
    base += u'/';
    CLogger logger;
    CSyncDataBase db(&logger);
    struct Case {
        const char* name;
        const char* left;
        const char* right;
        int result;
        std::uint32_t code;
        bool resolved;  // the left root is the link's target (other links in a path stay)
    };
    const Case cases[] = {
        {"plain", "l", "r/", 0, 0, false},
        {"a link root is resolved", "link", "r", 0, 0, true},
        {"a file", "file", "r", 2, 1, false},
        {"the same directory through a link", "link", "l", 2, 9, false},
        {"nested through a link in the path", "r", "up/r/.", 2, 9, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ErrorInfo error;
        EXPECT_EQ(c.result, db.Create(tmp.Root() + CString::FromUtf8(c.left), tmp.Root() + CString::FromUtf8(c.right),
                                      error));
        EXPECT_EQ(c.code, error.code);
        if (c.result == 0) {
            EXPECT_EQ(Str((c.resolved ? base : tmp.Root()) + u"l/"), Str(db.leftRoot));
            EXPECT_EQ(Str(tmp.Root() + u"r/"), Str(db.rightRoot));
        }
    }
}

TEST_F(DatabaseFixture, ChangeRootsReplacesRootsAndDropsTheTree) {
    ErrorInfo error;
    ASSERT_EQ(0, db.Create(u"/data/left", u"/data/right", error));
    FillState();
    EXPECT_EQ(0, db.ChangeRoots(proxy, u"/data/left2", u"/links/l", error));
    EXPECT_EQ("/data/left2/", Str(db.leftRoot));
    EXPECT_EQ("/data/left/", Str(db.rightRoot));
    EXPECT_TRUE(db.GetRoot()->children.empty());
    EXPECT_EQ(0u, proxy.GetCount());
    EXPECT_EQ(0u, db.commandHistory.GetCount());
}

TEST_F(DatabaseFixture, FailedChangeRootsChangesNothing) {
    struct Case {
        const char* name;
        const char16_t* left;
        const char16_t* right;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"left missing", u"/data/none", u"/data/left2", 2},
        {"right is a file", u"/data/left2", u"/data/file.txt", 1},
        {"nested", u"/data/left2", u"/data", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ErrorInfo error;
        ASSERT_EQ(0, db.Create(u"/data/left", u"/data/right", error));
        FillState();
        log.Clear();
        EXPECT_EQ(2, db.ChangeRoots(proxy, c.left, c.right, error));
        EXPECT_EQ(c.code, error.code);
        EXPECT_EQ(1u, log.entries.size());
        EXPECT_EQ("/data/left/", Str(db.leftRoot));
        EXPECT_EQ("/data/right/", Str(db.rightRoot));
        EXPECT_EQ(3u, Proxy::CountNodes(db));
        EXPECT_EQ(3u, proxy.GetCount());
        EXPECT_EQ(1u, db.commandHistory.GetCount());
        EXPECT_EQ(1, db.rootsValid);
    }
}

TEST_F(DatabaseFixture, ClearAndClearTree) {
    ErrorInfo error;
    ASSERT_EQ(0, db.Create(u"/data/left", u"/data/right", error));
    FillState();
    db.selectionFilters.emplace_back();
    db.blobStore.Set(7, "ab", 2);
    db.leftBias = POS_BIAS;
    db.entryComparer.SetIgnoreArchive(true);

    db.ClearTree(proxy);
    EXPECT_TRUE(db.GetRoot()->children.empty());
    EXPECT_EQ(0u, proxy.GetCount());
    EXPECT_EQ(nullptr, proxy.GetLeftRoot());
    EXPECT_EQ(0u, db.commandHistory.GetCount());
    EXPECT_EQ("/data/left/", Str(db.leftRoot));
    EXPECT_EQ(1u, db.selectionFilters.size());
    EXPECT_EQ(1u, db.blobStore.Count());

    FillState();
    db.Clear();
    EXPECT_TRUE(db.GetRoot()->children.empty());
    EXPECT_EQ(kRootDepth, db.GetRoot()->depth);
    EXPECT_TRUE(db.leftRoot.IsEmpty());
    EXPECT_TRUE(db.rightRoot.IsEmpty());
    EXPECT_EQ(0, db.rootsValid);
    EXPECT_EQ(0u, db.commandHistory.GetCount());
    EXPECT_TRUE(db.selectionFilters.empty());
    EXPECT_EQ(0u, db.blobStore.Count());
    EXPECT_EQ(NO_BIAS, db.leftBias);
    EXPECT_EQ(0, db.entryComparer.ignoreArchive);
    EXPECT_EQ(ComparerOptions::ALL_ATTRIBUTES, db.entryComparer.attributeMask);
}

TEST_F(DatabaseFixture, PhaseTitlesPreferencesAndFileSystem) {
    const PhaseTitle titles[] = {{0, 1000}, {1, 1001}, {2, 1044}, {3, 5}, {7, 6}};
    db.SetPhaseTitles(titles, 5);
    EXPECT_EQ(1000u, db.phaseTitles[0]);
    EXPECT_EQ(1001u, db.phaseTitles[1]);
    EXPECT_EQ(1044u, db.phaseTitles[2]);
    EXPECT_EQ(0u, db.GetPhaseTitle(3));

    // The default object answers 0 or false to everything.
    const Core::Preferences& defaults = db.GetPreferences();
    EXPECT_EQ(0, defaults.GetTestPatternCount());
    EXPECT_EQ(0, defaults.GetAutoRetryDelayOnError());
    EXPECT_FALSE(defaults.GetIgnoreArchiveBit());
    EXPECT_FALSE(defaults.GetIgnoreInaccessibleDirs());
    EXPECT_EQ(0, defaults.GetCopyBufferSize());
    EXPECT_FALSE(defaults.GetCopyTraditional());
    EXPECT_EQ(0, defaults.GetPrecisionTimeStampComp());
    EXPECT_EQ(0, defaults.GetPrecisionEntryPairComp());
    struct Custom : Core::Preferences {
        int GetCopyBufferSize() const override { return 4096; }
    } custom;
    db.SetPreferences(&custom);
    EXPECT_EQ(4096, db.GetPreferences().GetCopyBufferSize());
    db.SetPreferences(nullptr);
    EXPECT_EQ(0, db.GetPreferences().GetCopyBufferSize());

    EXPECT_EQ(&fs, &db.GetFileSystem());
    db.SetFileSystem(nullptr);
    EXPECT_EQ(&plat::PosixFs(), &db.GetFileSystem());
}

TEST_F(DatabaseFixture, DstShiftIsDetectedOnlyAfterAFinishedScan) {
    struct Case {
        std::uint8_t scanValid;
        Bias left;
        Bias right;
        bool detected;
    };
    const Case cases[] = {
        {1, POS_BIAS, NO_BIAS, true},  {1, NO_BIAS, NEG_BIAS, true},  {1, NUL_BIAS, NUL_BIAS, false},
        {1, NO_BIAS, NO_BIAS, false},  {1, FENCE_BIAS, NO_BIAS, false}, {0, POS_BIAS, NEG_BIAS, false},
    };
    for (const auto& c : cases) {
        db.scanValid = c.scanValid;
        db.leftBias = c.left;
        db.rightBias = c.right;
        EXPECT_EQ(c.detected, db.IsDstShiftDetected()) << int(c.scanValid) << int(c.left) << int(c.right);
    }
    // Nothing detected: nothing is done and the biases stay.
    db.scanValid = 0;
    db.leftBias = POS_BIAS;
    EXPECT_FALSE(db.CompensateDstShift());
    EXPECT_EQ(POS_BIAS, db.leftBias);
}

TEST_F(DatabaseFixture, CompensateDstShiftMovesTheDatabaseTimesAndDecidesAgain) {
    using kit::File;
    using kit::kHour;
    using kit::kT0;
    // Left side seen one hour later than the database: a daylight-saving change on FAT.
    FSTreeNode* shifted = FSTree::FindOrInsertChild(db.GetRoot(), u"f");
    shifted->record.SetDatabaseStamps(File(kT0, 10), File(kT0, 10));
    shifted->record.SetLeftStamp(File(kT0 + kHour, 10));
    shifted->record.SetRightStamp(File(kT0, 10));
    FSTreeNode* fresh = FSTree::FindOrInsertChild(db.GetRoot(), u"g");  // new on the left
    fresh->record.SetLeftStamp(File(kT0, 5));
    db.DecideRecords();
    ASSERT_TRUE(db.DecidePlan(nullptr, false));
    ASSERT_EQ(CP_M, shifted->record.AC);
    db.commandHistory.Execute(std::make_unique<ChangingCommand>());
    db.scanValid = 1;
    db.leftBias = POS_BIAS;

    EXPECT_TRUE(db.CompensateDstShift());
    EXPECT_EQ(kT0 + kHour, shifted->record.db->left.lastWriteTime);
    EXPECT_EQ(kT0, shifted->record.db->right.lastWriteTime);
    EXPECT_EQ(EQUAL, shifted->record.PA);
    EXPECT_EQ(EQUAL, shifted->record.AC);
    EXPECT_EQ(CP_M, fresh->record.AC);
    EXPECT_EQ(0u, db.commandHistory.GetCount());
    EXPECT_EQ(NO_BIAS, db.leftBias);
    EXPECT_FALSE(db.IsDstShiftDetected());
    EXPECT_FALSE(db.CompensateDstShift());

    // A shift detected where no database entry moves: nothing changes, the biases reset.
    shifted->record.DropDatabase();
    db.commandHistory.Execute(std::make_unique<ChangingCommand>());
    db.rightBias = NEG_BIAS;
    EXPECT_FALSE(db.CompensateDstShift());
    EXPECT_EQ(NO_BIAS, db.rightBias);
    EXPECT_EQ(1u, db.commandHistory.GetCount());
}

// A node below parent with current stamps and decisions; in the database when inDb.
FSTreeNode* AddEntry(FSTreeNode* parent, const char16_t* name, bool inDb) {
    FSTreeNode* node = FSTree::FindOrInsertChild(parent, name);
    FileStamp stamp;
    node->record.SetLeftStamp(stamp);
    node->record.SetRightStamp(stamp);
    if (inDb) node->record.SetDatabaseStamps(stamp, stamp);
    node->record.PA = node->record.AC = node->record.BC = CP_M;
    node->record.ST = DONE;
    node->record.FG = FG_MARKED | FG_DECIDED | FG_LEFT_INACCESSIBLE;
    node->record.BL = POS_BIAS;
    return node;
}

std::vector<std::u16string> NodePaths(CSyncDataBase& db) {
    std::vector<std::u16string> paths;
    FSTree::Subtree walk(db.GetRoot());
    for (auto it = walk.begin(); it != walk.end(); ++it) paths.push_back(FSTree::GetNodePath(*it).str());
    return paths;
}

TEST_F(DatabaseFixture, PruneKeepsDatabaseEntriesAndTheirDirectories) {
    FSTreeNode* root = db.GetRoot();
    FSTreeNode* a = AddEntry(root, u"a", false);       // directory above a database entry
    FSTreeNode* ab = AddEntry(a, u"b", false);
    AddEntry(ab, u"c", true);                          // the database entry
    AddEntry(ab, u"d", false);
    AddEntry(a, u"e", false);                          // nothing in the database below
    AddEntry(AddEntry(root, u"f", false), u"g", false);
    AddEntry(root, u"h", true);                        // a database entry, with only new children
    AddEntry(FSTree::FindChild(root, u"H"), u"i", false);

    db.Prune(root);
    EXPECT_EQ((std::vector<std::u16string>{u"A", u"A\\B", u"A\\B\\C", u"H"}), NodePaths(db));
    FSTree::Subtree walk(root);
    for (auto it = walk.begin(); it != walk.end(); ++it) {
        const CSyncRecord& r = (*it)->record;
        EXPECT_EQ(nullptr, r.left);
        EXPECT_EQ(nullptr, r.right);
        EXPECT_EQ(INVALID, r.PA);
        EXPECT_EQ(INVALID, r.AC);
        EXPECT_EQ(INVALID, r.BC);
        EXPECT_EQ(CREATED, r.ST);
        EXPECT_EQ(0, r.FG);
        EXPECT_EQ(NO_BIAS, r.BL);
    }

    // Without database entries only the root is left.
    for (auto it = walk.begin(); it != walk.end(); ++it) (*it)->record.DropDatabase();
    db.Prune(root);
    EXPECT_TRUE(root->children.empty());
}

TEST_F(DatabaseFixture, PruneOfADeepTree) {
    // Deep enough that a recursive walk would exhaust the stack.
    constexpr int kDepth = 200000;
    FSTreeNode* node = db.GetRoot();
    for (int i = 0; i < kDepth; ++i) node = AddEntry(node, u"n", false);
    node->record.SetDatabaseStamps(FileStamp(), FileStamp());
    AddEntry(node->parent, u"m", false);
    db.Prune(db.GetRoot());
    EXPECT_EQ(std::uint32_t(kDepth), Proxy::CountNodes(db));
    db.Clear();
}

TEST(PathHelpers, ComponentsSplitAtBothSeparatorsAndFoldCase) {
    const std::u16string longPath = u"/" + std::u16string(300, u'x') + u"/y";
    struct Case {
        std::u16string path;
        bool fold;
        std::vector<std::u16string> components;
    };
    const Case cases[] = {
        {u"", false, {}},
        {u"//\\", false, {}},
        {u"/home/User/", false, {u"home", u"User"}},
        {u"a\\b/c", false, {u"a", u"b", u"c"}},
        {u"/data//Straße\\é", true, {u"DATA", u"STRAßE", u"É"}},  // simple mapping: ß stays
        {longPath, false, {std::u16string(300, u'x'), u"y"}},
    };
    for (const auto& c : cases) {
        PathComponents parts(c.path, c.fold);
        std::vector<std::u16string> got;
        for (const auto& part : parts) got.push_back(part.str());
        EXPECT_EQ(c.components, got) << CString(c.path).ToUtf8();
    }
}

TEST(PathHelpers, IsExistingDirectoryByKindOfEntry) {
    plat::MemoryFileSystem fs;
    ASSERT_TRUE(fs.AddDirectory(u"/d"));
    ASSERT_TRUE(fs.AddFile(u"/f", "x"));
    ASSERT_TRUE(fs.AddSymlink(u"/l", u"/d"));
    struct Case {
        const char16_t* path;
        bool result;
        std::uint32_t category;
        std::uint32_t code;
    };
    const Case cases[] = {
        {u"/d", true, 0, 0},
        {u"/f", false, 2, 1},
        {u"/l", false, 2, 1},  // a link is never followed
        {u"/none", false, 1, 2},
        {u"/none/x", false, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CString(c.path).ToUtf8());
        ErrorInfo error;
        error.Set(3, 3, 3, u"old");
        EXPECT_EQ(c.result, IsExistingDirectory(fs, c.path, &error));
        EXPECT_EQ(c.category, error.category);
        EXPECT_EQ(c.code, error.code);
        if (!c.result) {
            EXPECT_EQ(CString(c.path).ToUtf8(), CString(error.GetText()).ToUtf8());
        }
        EXPECT_EQ(c.result, IsExistingDirectory(fs, c.path, nullptr));
    }
}

}  // namespace
