#include <gtest/gtest.h>

#include "engine/sync_database.h"
#include "engine/tree/sync_record.h"
#include "engine/watcher.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/decision_table.h"

namespace {

using namespace kit;

FSTreeNode* Add(FSTreeNode* parent, const char* name, const Side& left, const Side& right,
                const Db& pair) {
    FSTreeNode* n = FSTree::FindOrInsertChild(parent, CString::FromUtf8(name).view());
    if (left) n->record.SetLeftStamp(*left);
    if (right) n->record.SetRightStamp(*right);
    if (pair) n->record.SetDatabaseStamps(pair->left, pair->right);
    n->record.SetPath(FSTree::GetNodePath(n).view());
    return n;
}

TEST(SyncDatabaseDecisionTest, DaylightSavingShiftOnAFatSideIsCompensatedKeepingCrawlMarks) {
    plat::MemoryFileSystem fs;
    fs.SetFileSystemName(u"FAT");
    ASSERT_TRUE(fs.CreateDirectory(u"/left") && fs.CreateDirectory(u"/right"));
    CSyncDataBase db(nullptr);
    db.SetFileSystem(&fs);
    db.leftRoot = u"/left/";
    db.rightRoot = u"/right/";
    db.rootsValid = 1;
    const FileStamp f = File(kT0, 10);
    const FileStamp later = File(kT0 + kHour, 10);
    const FileStamp dirLater = Dir(kT0 + kHour);
    FSTreeNode* a = Add(db.GetRoot(), "A", later, f, InDb(f));
    FSTreeNode* u = Add(db.GetRoot(), "U", dirLater, Dir(kT0), InDb(Dir(kT0)));
    u->record.FG |= FG_RIGHT_INACCESSIBLE;
    FSTreeNode* hidden = Add(u, "GONE", later, kAbsent, InDb(f));  // right not listed

    db.DecideRecords();
    ASSERT_TRUE(db.DecidePlan(nullptr, false));
    EXPECT_EQ(db.leftBias, POS_BIAS);
    EXPECT_EQ(db.rightBias, NUL_BIAS);
    EXPECT_EQ(a->record.AC, CP_M);
    EXPECT_EQ(hidden->record.AC, SKIP);

    db.scanValid = 1;
    ASSERT_TRUE(db.IsDstShiftDetected());
    EXPECT_TRUE(db.CompensateDstShift());
    EXPECT_EQ(a->record.AC, EQUAL);
    EXPECT_EQ(u->record.AC, EQUAL);
    EXPECT_EQ(hidden->record.AC, SKIP);  // still not decided from its absence
    EXPECT_EQ(db.leftBias, NO_BIAS);

    // Not a FAT volume: no side bias at all.
    fs.SetFileSystemName(u"ext4");
    db.DecideRecords();
    EXPECT_EQ(db.leftBias, NO_BIAS);
    EXPECT_EQ(db.rightBias, NO_BIAS);
}

// A watcher whose cancel is requested at the n-th poll (never when n is 0), counting the polls.
struct CancelAtPoll : CProcessControl {
    explicit CancelAtPoll(int n) : at(n) {}
    bool IsCancelled() override {
        if (++polls == at) watcher.RequestCancel();
        return watcher.IsCancelled();
    }
    Watcher watcher;  // without a callback a request is confirmed at once
    int at;
    int polls = 0;
};

// A first scan's tree: conflicts of two files and new files, nothing in the database.
void FillFirstScan(CSyncDataBase& db) {
    for (const char* name : {"A", "B", "C", "D"}) {
        FSTreeNode* dir = Add(db.GetRoot(), name, Dir(kT0), Dir(kT0), Db());
        Add(dir, "F", File(kT0 + 1, 5), File(kT0, 5), Db());
        Add(dir, "G", kAbsent, File(kT0, 5), Db());
    }
}

TEST(SyncDatabaseDecisionTest, ACancelDuringTheFirstScanBestChoiceStopsIt) {
    // How many polls the passes before the first scan's best choice take.
    CSyncDataBase counted(nullptr);
    FillFirstScan(counted);
    counted.DecideRecords();
    CancelAtPoll count(0);
    ASSERT_TRUE(counted.DecidePlan(&count, false));
    ASSERT_GT(count.polls, 0);

    // A cancel requested after them falls into the best choice of a first scan.
    CSyncDataBase db(nullptr);
    FillFirstScan(db);
    db.DecideRecords();
    CancelAtPoll cancel(count.polls + 1);
    EXPECT_FALSE(db.DecidePlan(&cancel, true));
    EXPECT_EQ(cancel.polls, count.polls + 1) << "the best choice stops at the first poll after the request";
    const FSTreeNode* conflict = FSTree::FindChild(db.GetRoot()->children.front(), u"F");
    ASSERT_NE(conflict, nullptr);
    EXPECT_EQ(conflict->record.AC, AMBIGUOUS) << "nothing applied once cancelled";

    // Without a cancel it polls before every node, and applies the best choice.
    CSyncDataBase whole(nullptr);
    FillFirstScan(whole);
    whole.DecideRecords();
    CancelAtPoll none(0);
    ASSERT_TRUE(whole.DecidePlan(&none, true));
    EXPECT_GE(none.polls, count.polls + 12);  // 12 entries
    const FSTreeNode* applied = FSTree::FindChild(whole.GetRoot()->children.front(), u"F");
    ASSERT_NE(applied, nullptr);
    EXPECT_EQ(applied->record.AC, CP_M);
}

}  // namespace
