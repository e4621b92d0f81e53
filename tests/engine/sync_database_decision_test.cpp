#include <gtest/gtest.h>

#include "engine/sync_database.h"
#include "engine/tree/sync_record.h"
#include "platform/core/testing/memory_file_system.h"
#include "tests/engine/support/plan_tree.h"

namespace {

using namespace plantest;

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

}  // namespace
