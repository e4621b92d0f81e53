#include "engine/decision/best_choice.h"

#include "engine/decision/decision.h"
#include "engine/decision/set_action_code.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"
#include "engine/watcher.h"

namespace {

bool IsCancelled(CProcessControl* cancel) { return cancel != nullptr && cancel->IsCancelled(); }

// Plain comparison of two times (no tolerance).
int CompareTimes(FileTime a, FileTime b) { return a < b ? -1 : a > b ? 1 : 0; }

// The proposal for a conflict between two entries of the same kind.
ActionCode ResolveConflict(const CSyncRecord& r, const ComparerOptions& pairComparer) {
    const FileStamp& left = *r.left;
    const FileStamp& right = *r.right;
    if (IsSameEntry(pairComparer, left, right) && r.GetContentState() != CONTENT_DIFFERENT) return UPDATE_D;
    const int newer = CompareTimes(left.GetCompareTime(), right.GetCompareTime());
    if (newer != 0) return newer > 0 ? CP_M : CP_S;
    if (left.GetSize() != right.GetSize()) return left.GetSize() > right.GetSize() ? CP_M : CP_S;
    if (left.attributes == right.attributes) return CP_M;
    return CountBits(left.attributes) > CountBits(right.attributes) ? CP_M : CP_S;
}

// Two files that no database holds, whose contents differ while their times are equal:
// the times give nothing to choose by, and whichever side the tie rule takes would
// overwrite bytes that exist nowhere else. Only the user can decide.
bool IsUndecidableConflict(const CSyncRecord& r) {
    return !r.db && r.left && r.right && !r.left->IsDirectory() && !r.right->IsDirectory() &&
           r.GetContentState() == CONTENT_DIFFERENT &&
           CompareTimes(r.left->GetCompareTime(), r.right->GetCompareTime()) == 0;
}

ActionCode SubtreeChoice(const FSTreeNode& n, ActionCode newest) {
    const CSyncRecord& r = n.record;
    if (IsLockedByCrawl(n)) return r.PA;
    ActionCode bc = r.PA;
    if (newest == EQUAL || r.PA == DEL_D) bc = r.PA;
    else if (r.left && r.right) bc = newest;
    else if (newest == CP_M && !r.left) bc = DEL_S;
    else if (newest == CP_S && !r.right) bc = DEL_M;
    return IsUnsafeForUnlistedDirectory(n, bc) ? r.PA : bc;
}

// Whether SetActionCode(n, BC) would delete, on some side, an entry of n's subtree that
// is in no database: a deletion of n's subtree, or a file copied over a directory whose
// contents make way.
bool WouldDeleteUnrecorded(const FSTreeNode& top) {
    auto unrecorded = [](const CSyncRecord& d, bool left, bool right) {
        return !d.db && ((left && d.left) || (right && d.right));
    };
    for (FSTreeNode* n : FSTree::Subtree::Including(const_cast<FSTreeNode*>(&top))) {
        const CSyncRecord& r = n->record;
        if (r.BC == DEL_M || r.BC == DEL_S) {
            for (FSTreeNode* d : FSTree::Subtree::Including(n))
                if (unrecorded(d->record, true, true)) return true;
        } else if (r.BC == CP_M && r.left && !r.left->IsDirectory()) {
            for (FSTreeNode* d : FSTree::Subtree(n))
                if (unrecorded(d->record, false, true)) return true;
        } else if (r.BC == CP_S && r.right && !r.right->IsDirectory()) {
            for (FSTreeNode* d : FSTree::Subtree(n))
                if (unrecorded(d->record, true, false)) return true;
        }
    }
    return false;
}

}  // namespace

ActionCode NewestSide(FSTreeNode& top) {
    ActionCode side = EQUAL;
    FileTime newest = 0;
    auto consider = [&](const std::unique_ptr<FileStamp>& stamp, ActionCode code) {
        if (stamp && CompareTimes(stamp->GetCompareTime(), newest) > 0) {
            newest = stamp->GetCompareTime();
            side = code;
        }
    };
    for (FSTreeNode* n : FSTree::Subtree::Including(&top)) {
        const CSyncRecord& r = n->record;
        if (r.PA == AMBIGUOUS || r.PA == CP_M) consider(r.left, CP_M);
        if (r.PA == AMBIGUOUS || r.PA == CP_S) consider(r.right, CP_S);
    }
    return side;
}

bool ComputeBestChoice(FSTreeNode& root, const ComparerOptions& pairComparer, CProcessControl* cancel) {
    FSTree::Subtree tree(&root);
    for (auto it = tree.begin(); it != tree.end();) {
        if (IsCancelled(cancel)) return false;
        FSTreeNode& node = **it;
        CSyncRecord& r = node.record;
        if (!r.SidesDiffer()) {
            r.BC = (r.PA == AMBIGUOUS && r.left && r.right && !IsLockedByCrawl(node)) ? ResolveConflict(r, pairComparer)
                                                                                       : r.PA;
            ++it;
            continue;
        }
        const ActionCode newest = NewestSide(node);
        for (FSTreeNode* n : FSTree::Subtree::Including(&node)) {
            if (IsCancelled(cancel)) return false;
            n->record.BC = SubtreeChoice(*n, newest);
        }
        it.SkipChildren();
    }
    return true;
}

bool ApplyBestChoice(FSTreeNode& node) { return SetActionCode(node, node.record.BC); }

bool ApplyFirstScanBestChoice(FSTreeNode& root, CProcessControl* cancel) {
    FSTree::Subtree tree(&root);
    for (auto it = tree.begin(); it != tree.end();) {
        if (IsCancelled(cancel)) return false;
        FSTreeNode& node = **it;
        if (!node.record.SidesDiffer()) {
            if (!IsUndecidableConflict(node.record)) ApplyBestChoice(node);
            ++it;
            continue;
        }
        if (!WouldDeleteUnrecorded(node)) {
            for (FSTreeNode* n : FSTree::Subtree::Including(&node)) {
                if (IsCancelled(cancel)) return false;
                ApplyBestChoice(*n);
            }
        }
        it.SkipChildren();
    }
    return true;
}

bool BestChoiceLosesUnrecorded(const FSTreeNode& node) {
    if (IsUndecidableConflict(node.record)) return true;
    const FSTreeNode* top = nullptr;
    for (const FSTreeNode* n = &node; n && !n->IsRoot(); n = n->parent)
        if (n->record.SidesDiffer()) top = n;
    return top && WouldDeleteUnrecorded(*top);
}
