#include "engine/execute/sync_statistics.h"

#include "engine/filters/protection_filters.h"
#include "engine/sync_database.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"

void SyncStatistics::ActionBlock::Count(const CSyncRecord& r) {
    if (r.AC < ACTION_CODE_COUNT) ++byCode[r.AC];
    const std::uint64_t leftSize = r.left ? r.left->GetSize() : 0;
    const std::uint64_t rightSize = r.right ? r.right->GetSize() : 0;
    switch (r.AC) {
        case DEL_M:
            ++deleteLeft;
            deleteLeftBytes += leftSize;
            break;
        case DEL_S:
            ++deleteRight;
            deleteRightBytes += rightSize;
            break;
        case CP_M:
            ++copyLeftToRight;
            copyLeftToRightBytes += leftSize;
            break;
        case CP_S:
            ++copyRightToLeft;
            copyRightToLeftBytes += rightSize;
            break;
        case DEL_D:
        case UPDATE_D:
            ++databaseOnly;
            break;
        default:
            ++noAction;
            if (r.AC == AMBIGUOUS) ++ambiguous;
            break;
    }
}

void SyncStatistics::Compute(const CSyncDataBase& database) {
    Clear();
    loaded = database.rootsValid;
    if (!loaded || database.GetRoot() == nullptr) return;
    for (const FSTreeNode* node : FSTree::Subtree(database.GetRoot())) {
        const CSyncRecord& r = node->record;
        ++totalEntries;
        if (r.left) ++(r.left->IsDirectory() ? leftDirectories : leftFiles);
        if (r.right) ++(r.right->IsDirectory() ? rightDirectories : rightFiles);
        all.Count(r);
        if (r.ST == DONE || r.ST == SKIPPED) {
            finished.Count(r);
            ++finishedEntries;
        } else {
            pending.Count(r);
        }
        if (r.ST < SYNC_STATUS_COUNT) ++byStatus[r.ST];
        if (IsProtectedNode(*node) && r.AC != DEL_D) ++protectedEntries;
    }
}

bool SyncStatistics::HasPendingActions() const {
    return pending.deleteLeft + pending.deleteRight + pending.copyLeftToRight + pending.copyRightToLeft +
               pending.databaseOnly != 0;
}
