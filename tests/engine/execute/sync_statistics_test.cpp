#include "engine/execute/sync_statistics.h"

#include <gtest/gtest.h>

#include "engine/sync_database.h"
#include "tests/engine/support/decision_table.h"

namespace {

using namespace kit;

FSTreeNode* Add(CSyncDataBase& db, const char* path, const Side& left, const Side& right, ActionCode ac) {
    FSTreeNode* n = FSTree::FindOrInsertChild(db.GetRoot(), CString::FromUtf8(path).view());
    if (left) n->record.SetLeftStamp(*left);
    if (right) n->record.SetRightStamp(*right);
    n->record.SetPath(FSTree::GetNodePath(n).view());
    n->record.PA = n->record.AC = ac;
    return n;
}


TEST(SyncStatisticsTest, NeverLoadedGivesZeros) {
    CSyncDataBase db(nullptr);
    Add(db, "A", File(kT0, 5), kAbsent, CP_M);
    SyncStatistics s;
    s.Compute(db);
    EXPECT_EQ(s, SyncStatistics());
    EXPECT_FALSE(s.HasPendingActions());
    EXPECT_TRUE(s.IsEmpty());
}

TEST(SyncStatisticsTest, CountsBySideCodeAndStatus) {
    CSyncDataBase db(nullptr);
    db.rootsValid = 1;
    Add(db, "AMB", File(kT0, 1), File(kT0, 2), AMBIGUOUS);
    Add(db, "CPM", File(kT0, 100), kAbsent, CP_M);
    Add(db, "CPS", kAbsent, File(kT0, 200), CP_S);
    Add(db, "DELM", File(kT0, 30), kAbsent, DEL_M);
    Add(db, "DELS", kAbsent, File(kT0, 40), DEL_S);
    Add(db, "DIR", Dir(), Dir(), EQUAL);
    Add(db, "GONE", kAbsent, kAbsent, DEL_D);
    Add(db, "PROT", File(kT0, 7), File(kT0, 8), SKIP);
    Add(db, "UPD", File(kT0, 9), File(kT0, 9), UPDATE_D);
    db.protectionFilters.AddRule(u"PROT", ProtectionRule::ACTIVE);
    db.protectionFilters.AddRule(u"GONE", ProtectionRule::ACTIVE);  // DEL_D: not counted as protected
    db.ApplyProtectionFilters();

    SyncStatistics s;
    s.Compute(db);
    EXPECT_EQ(s.loaded, 1);
    EXPECT_EQ(s.totalEntries, 9u);
    EXPECT_EQ(s.leftDirectories, 1u);
    EXPECT_EQ(s.rightDirectories, 1u);
    EXPECT_EQ(s.leftFiles, 5u);
    EXPECT_EQ(s.rightFiles, 5u);
    EXPECT_EQ(s.protectedEntries, 1u);
    EXPECT_EQ(s.byStatus[CREATED], 9u);
    const SyncStatistics::ActionBlock& p = s.pending;
    // The ambiguous entry: once under its code, once as no action, once as ambiguous.
    EXPECT_EQ(p.byCode[AMBIGUOUS], 1u);
    EXPECT_EQ(p.ambiguous, 1u);
    EXPECT_EQ(p.noAction, 3u);  // AMBIGUOUS, EQUAL and SKIP
    EXPECT_EQ(p.databaseOnly, 2u);
    EXPECT_EQ(p.copyLeftToRight, 1u);
    EXPECT_EQ(p.copyRightToLeft, 1u);
    EXPECT_EQ(p.deleteLeft, 1u);
    EXPECT_EQ(p.deleteRight, 1u);
    EXPECT_EQ(p.copyLeftToRightBytes, 100u);
    EXPECT_EQ(p.copyRightToLeftBytes, 200u);
    EXPECT_EQ(p.deleteLeftBytes, 30u);
    EXPECT_EQ(p.deleteRightBytes, 40u);
    EXPECT_EQ(s.all, s.pending);
    EXPECT_EQ(s.finishedEntries, 0u);
    EXPECT_TRUE(s.HasPendingActions());
    EXPECT_FALSE(s.IsEmpty());
    db.protectionFilters.ClearMatches();
}

TEST(SyncStatisticsTest, FinishedRunMovesEverythingOutOfPending) {
    CSyncDataBase db(nullptr);
    db.rootsValid = 1;
    Add(db, "A", File(kT0, 10), kAbsent, CP_M)->record.ST = DONE;
    Add(db, "B", kAbsent, File(kT0, 20), DEL_S)->record.ST = DONE;
    Add(db, "C", File(kT0, 1), File(kT0, 2), AMBIGUOUS)->record.ST = SKIPPED;
    SyncStatistics s;
    s.Compute(db);
    EXPECT_FALSE(s.HasPendingActions());
    EXPECT_EQ(s.finishedEntries, 3u);
    EXPECT_EQ(s.finished.copyLeftToRight, 1u);
    EXPECT_EQ(s.finished.deleteRightBytes, 20u);
    EXPECT_EQ(s.byStatus[DONE], 2u);
    EXPECT_EQ(s.byStatus[SKIPPED], 1u);
    EXPECT_EQ(s.pending.byCode[CP_M] + s.pending.noAction, 0u);

    db.GetRoot()->children.front()->record.ST = FAILED;  // a failed copy stays pending
    s.Compute(db);
    EXPECT_TRUE(s.HasPendingActions());
    EXPECT_EQ(s.pending.copyLeftToRightBytes, 10u);
}

}  // namespace
