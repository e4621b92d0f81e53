#include "engine/decision/decision.h"

#include <array>

#include "engine/tree/file_stamp.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"
#include "engine/watcher.h"
#include "platform/core/file_system.h"

namespace {

bool IsCancelled(CProcessControl* cancel) { return cancel != nullptr && cancel->IsCancelled(); }

bool IsUnlisted(const CSyncRecord& record) {
    return (record.FG & (FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE)) != 0;
}

bool UnsafeForUnlisted(const CSyncRecord& record, ActionCode code) {
    switch (code) {
        case DEL_M:
        case DEL_S:
            return true;
        case CP_M:  // the left side replaces the right directory
            return (record.FG & FG_RIGHT_INACCESSIBLE) && !(record.left && record.left->IsDirectory());
        case CP_S:
            return (record.FG & FG_LEFT_INACCESSIBLE) && !(record.right && record.right->IsDirectory());
        default:
            return false;
    }
}

ActionCode PrimaryAction(const CSyncRecord& r, const ComparerOptions& options) {
    const bool inDb = r.db != nullptr;
    const bool hasLeft = r.left != nullptr;
    const bool hasRight = r.right != nullptr;
    if (!inDb) {
        if (hasLeft && hasRight) return AMBIGUOUS;
        if (hasLeft) return CP_M;
        if (hasRight) return CP_S;
        return EQUAL;
    }
    if (!hasLeft && !hasRight) return DEL_D;
    const bool leftSame = hasLeft && IsSameEntry(options, *r.left, r.db->left);
    const bool rightSame = hasRight && IsSameEntry(options, *r.right, r.db->right);
    if (!hasRight) return leftSame ? DEL_M : CP_M;
    if (!hasLeft) return rightSame ? DEL_S : CP_S;
    if (!leftSame) return rightSame ? CP_M : AMBIGUOUS;
    if (!rightSame) return CP_S;
    // Both unchanged against the database. Two files whose sizes differ mean the
    // database pair itself disagreed: the user must look.
    if (r.left->IsDirectory()) return EQUAL;
    return r.left->GetSize() == r.right->GetSize() ? EQUAL : AMBIGUOUS;
}

void Lock(CSyncRecord& record) {
    record.PA = SKIP;
    record.AC = SKIP;
    record.BL = NO_BIAS;
    record.BR = NO_BIAS;
}

// A directory that was to be deleted on a side where a skipped entry below it exists
// cannot be emptied; it is skipped too, up the tree as far as that holds.
void LiftSkip(FSTreeNode& skipped) {
    FSTreeNode* child = &skipped;
    for (FSTreeNode* p = child->parent; p != nullptr && !p->IsRoot(); child = p, p = p->parent) {
        CSyncRecord& r = p->record;
        if (!DeletionKeeps(r.PA, child->record)) break;
        r.PA = SKIP;
        r.AC = SKIP;
    }
}

void LockBelow(FSTreeNode& node) {
    FSTree::Subtree below(&node);
    for (FSTreeNode* n : below) Lock(n->record);
}

}  // namespace

void CSyncRecord::Decide(const ComparerOptions& options) {
    ActionCode pa = PrimaryAction(*this, options);

    // The binary content comparison corrects what the stamps suggest.
    const int content = GetContentState();
    if (content != CONTENT_NOT_COMPARED && IsSameKindAndSize(*this)) {
        if (content == CONTENT_EQUAL && pa != EQUAL) pa = UPDATE_D;
        else if (content == CONTENT_DIFFERENT && pa == EQUAL) pa = AMBIGUOUS;
    }
    BL = (db && left) ? BiasOf(options, db->left, *left) : NO_BIAS;
    BR = (db && right) ? BiasOf(options, db->right, *right) : NO_BIAS;

    // The crawl marks of the entry itself (those inherited from above are the tree
    // pass's): an entry that cannot be synchronised is skipped; a directory whose
    // contents were not listed on a side is neither deleted nor replaced.
    if (FG & FG_NOT_SYNCHRONISABLE) {
        pa = SKIP;
        BL = NO_BIAS;
        BR = NO_BIAS;
    } else if (IsUnlisted(*this) && UnsafeForUnlisted(*this, pa)) {
        pa = SKIP;
    }
    FG |= FG_DECIDED;
    PA = pa;
    AC = pa;
}

bool DeletionKeeps(ActionCode directoryCode, const CSyncRecord& below) {
    return (directoryCode == DEL_M && below.left) || (directoryCode == DEL_S && below.right);
}

bool IsLockedByCrawl(const FSTreeNode& node) {
    if (node.IsRoot()) return false;
    if (node.record.FG & FG_NOT_SYNCHRONISABLE) return true;
    for (const FSTreeNode* p = node.parent; p != nullptr && !p->IsRoot(); p = p->parent) {
        if (p->record.FG & FG_CRAWL_MARKS) return true;
    }
    return false;
}

bool IsUnlistedDirectory(const FSTreeNode& node) { return !node.IsRoot() && IsUnlisted(node.record); }

bool IsUnsafeForUnlistedDirectory(const FSTreeNode& node, ActionCode code) {
    return IsUnlistedDirectory(node) && UnsafeForUnlisted(node.record, code);
}

void ApplyCrawlMarks(FSTreeNode& root) {
    FSTree::Subtree tree(&root);
    for (auto it = tree.begin(); it != tree.end();) {
        FSTreeNode& node = **it;
        const std::uint8_t fg = node.record.FG;
        if (fg & FG_NOT_SYNCHRONISABLE) {
            Lock(node.record);
            LockBelow(node);
            LiftSkip(node);
            it.SkipChildren();
        } else if (fg & (FG_LEFT_INACCESSIBLE | FG_RIGHT_INACCESSIBLE)) {
            LockBelow(node);
            if (node.record.PA == SKIP) LiftSkip(node);
            it.SkipChildren();
        } else {
            ++it;
        }
    }
}

void DecideTree(FSTreeNode& root, const ComparerOptions& entryComparer) {
    for (FSTreeNode* node : FSTree::Subtree(&root)) node->record.Decide(entryComparer);
    ApplyCrawlMarks(root);
}

Bias SideBias(const FSTreeNode& root, bool leftSide, bool fatVolume) {
    if (!fatVolume) return NO_BIAS;
    std::array<std::uint64_t, BIAS_COUNT> counts{};
    for (FSTreeNode* node : FSTree::Subtree(const_cast<FSTreeNode*>(&root))) {
        const Bias b = leftSide ? node->record.BL : node->record.BR;
        if (b < BIAS_COUNT) ++counts[b];
    }
    Bias found = NO_BIAS;
    for (Bias b : {NUL_BIAS, POS_BIAS, NEG_BIAS}) {
        if (counts[b] == 0) continue;
        if (found != NO_BIAS) return NO_BIAS;
        found = b;
    }
    return found;
}

bool IsFatVolume(plat::FileSystem& fileSystem, const CString& root) {
    CString name;
    if (!fileSystem.GetVolumeInformation(root, name)) return false;
    return name.Find(u"FAT") != CString::npos;
}

namespace {

enum class Direction { Mixed, Left, Right };

Direction DirectionOf(FSTreeNode& top) {
    if (top.record.PA == AMBIGUOUS) return Direction::Mixed;
    bool sawLeft = false;
    bool sawRight = false;
    for (FSTreeNode* n : FSTree::Subtree::Including(&top)) {
        if (n->record.PA == CP_M) {
            if (sawRight) return Direction::Mixed;
            sawLeft = true;
        } else if (n->record.PA == CP_S) {
            if (sawLeft) return Direction::Mixed;
            sawRight = true;
        }
    }
    if (sawLeft) return Direction::Left;
    if (sawRight) return Direction::Right;
    return Direction::Mixed;
}

// The copy code lifted from a node to its ancestors, up to the first ancestor that
// exists as a directory on the target side; the root is never changed.
void LiftCopy(FSTreeNode& node, ActionCode code) {
    for (FSTreeNode* p = node.parent; p != nullptr && !p->IsRoot(); p = p->parent) {
        const FileStamp* target = code == CP_M ? p->record.right.get() : p->record.left.get();
        if (target && target->IsDirectory()) break;
        p->record.SetAction(code);
    }
}

// An AMBIGUOUS entry stays on its sides until the user decides, so a directory above it
// that was to be deleted on a side where the entry exists could not be emptied: its
// removal would fail on every run. It waits for the decision as well (AMBIGUOUS), up
// the tree as far as that holds, as a skipped entry makes such a directory SKIP.
void LiftAmbiguity(FSTreeNode& ambiguous) {
    FSTreeNode* child = &ambiguous;
    for (FSTreeNode* p = child->parent; p != nullptr && !p->IsRoot(); child = p, p = p->parent) {
        if (!DeletionKeeps(p->record.AC, child->record)) break;
        p->record.SetAction(AMBIGUOUS);
    }
}

bool DeriveSubtree(FSTreeNode& top, CProcessControl* cancel) {
    const Direction direction = DirectionOf(top);
    FSTree::Subtree subtree = FSTree::Subtree::Including(&top);
    for (FSTreeNode* n : subtree) {
        if (IsCancelled(cancel)) return false;
        CSyncRecord& r = n->record;
        const bool copy = r.PA == CP_M || r.PA == CP_S;
        r.SetAction(direction == Direction::Mixed && copy ? AMBIGUOUS : r.PA);
        if (r.AC == AMBIGUOUS) LiftAmbiguity(*n);
    }
    if (direction == Direction::Mixed) return true;
    const ActionCode code = direction == Direction::Left ? CP_M : CP_S;
    for (FSTreeNode* n : subtree) {
        if (n->record.PA != code) continue;
        n->record.SetAction(code);
        LiftCopy(*n, code);
    }
    return true;
}

}  // namespace

bool DeriveActionCodes(FSTreeNode& root, CProcessControl* cancel) {
    FSTree::Subtree tree(&root);
    for (auto it = tree.begin(); it != tree.end();) {
        if (IsCancelled(cancel)) return false;
        FSTreeNode& node = **it;
        node.record.SetAction(node.record.PA);
        if (!node.record.SidesDiffer()) {
            ++it;
            continue;
        }
        if (!DeriveSubtree(node, cancel)) return false;
        it.SkipChildren();
    }
    return true;
}
