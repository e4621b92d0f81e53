#include "engine/decision/set_action_code.h"

#include "engine/decision/decision.h"
#include "engine/filters/protection_filters.h"
#include "engine/proxy.h"
#include "engine/tree/fs_tree.h"
#include "engine/tree/sync_record.h"

namespace {

constexpr std::uint32_t Bit(ActionCode code) { return 1u << code; }

bool IsDirectory(const std::unique_ptr<FileStamp>& side) { return side && side->IsDirectory(); }
bool IsFile(const std::unique_ptr<FileStamp>& side) { return side && !side->IsDirectory(); }

// A descendant takes the code unless the crawl did not see it.
void SetBelow(FSTreeNode& n, ActionCode code) {
    if (!IsLockedByCrawl(n)) n.record.SetAction(code);
}

// Protected, or not seen by the crawl: nothing may delete or replace it.
bool IsUntouchable(const FSTreeNode& n) { return IsProtectedNode(n) || IsLockedByCrawl(n); }

bool AnyUntouchableBelow(const FSTreeNode& node) {
    for (FSTreeNode* n : FSTree::Subtree(const_cast<FSTreeNode*>(&node)))
        if (IsUntouchable(*n)) return true;
    return false;
}

bool AnyProtectedIn(const FSTreeNode& node) {
    for (FSTreeNode* n : FSTree::Subtree::Including(const_cast<FSTreeNode*>(&node)))
        if (IsUntouchable(*n)) return true;
    return false;
}

}  // namespace

bool SetActionCode(FSTreeNode& node, ActionCode code) {
    CSyncRecord& r = node.record;
    if ((r.PermittedActions() & Bit(code)) == 0) return false;
    if (r.AC == code) return false;
    if (code != SKIP && IsLockedByCrawl(node)) return false;
    if (IsUnsafeForUnlistedDirectory(node, code)) return false;
    r.SetAction(code);

    FSTree::Subtree below(&node);
    FSTreeNode* parent = node.parent;
    const bool hasParent = parent != nullptr && !parent->IsRoot();
    switch (code) {
        case DEL_M:
        case DEL_S:
            for (FSTreeNode* n : below) SetBelow(*n, n->record.left ? DEL_M : n->record.right ? DEL_S : n->record.AC);
            break;
        // A file copied over a directory: what the other side holds below it makes way.
        // An entry below that is gone from that side too (only in the database) keeps its
        // code; a delete of it would fail on the missing entry in every run.
        case CP_M:
            if (!IsDirectory(r.left))
                for (FSTreeNode* n : below) SetBelow(*n, n->record.right ? DEL_S : n->record.AC);
            if (hasParent && !IsDirectory(parent->record.right)) SetActionCode(*parent, CP_M);
            break;
        case CP_S:
            if (!IsDirectory(r.right))
                for (FSTreeNode* n : below) SetBelow(*n, n->record.left ? DEL_M : n->record.AC);
            if (hasParent && !IsDirectory(parent->record.left)) SetActionCode(*parent, CP_S);
            break;
        default: {
            const bool rightNoDir = !IsDirectory(r.right);
            const bool leftNoDir = !IsDirectory(r.left);
            for (FSTreeNode* n : below) {
                if ((rightNoDir && n->record.AC == CP_M) || (leftNoDir && n->record.AC == CP_S)) SetBelow(*n, SKIP);
            }
            if (!hasParent) break;
            const CSyncRecord& p = parent->record;
            const bool blocked =
                DeletionKeeps(p.AC, r) || (p.AC == CP_M && !IsDirectory(p.left)) ||
                (p.AC == CP_S && !IsDirectory(p.right)) ||
                (p.AC == AMBIGUOUS && p.left && p.right && p.left->IsDirectory() != p.right->IsDirectory());
            if (blocked) SetActionCode(*parent, SKIP);
            break;
        }
    }
    return true;
}

void SkipProtectedEntries(FSTreeNode& root) {
    for (FSTreeNode* node : FSTree::Subtree(&root)) {
        if (IsProtectedNode(*node) && node->record.AC != SKIP) SetActionCode(*node, SKIP);
    }
}

std::uint32_t AllowedActions(const FSTreeNode& node) {
    if (IsUntouchable(node)) return Bit(SKIP);
    const CSyncRecord& r = node.record;
    std::uint32_t mask = r.PermittedActions();
    if (AnyUntouchableBelow(node)) {
        mask &= ~(Bit(DEL_M) | Bit(DEL_S));
        if (IsFile(r.left)) mask &= ~Bit(CP_M);
        if (IsFile(r.right)) mask &= ~Bit(CP_S);
    }
    for (ActionCode code : {DEL_M, DEL_S, CP_M, CP_S})
        if (IsUnsafeForUnlistedDirectory(node, code)) mask &= ~Bit(code);
    return mask;
}

bool IsDominationComplete(const Proxy& proxy, ActionCode code) {
    if (code != CP_M && code != CP_S) return false;
    bool anyMarked = false;
    for (const ProxyEntry& entry : proxy.Entries()) {
        if (!entry.marked || entry.node == nullptr) continue;
        anyMarked = true;
        const FSTreeNode& node = *entry.node;
        if (IsUntouchable(node)) return false;
        const CSyncRecord& r = node.record;
        // The dominating side would replace a directory of the other side.
        const bool replacesDirectory = code == CP_S ? (IsDirectory(r.left) && !IsDirectory(r.right))
                                                    : (IsDirectory(r.right) && !IsDirectory(r.left));
        if (replacesDirectory && AnyProtectedIn(node)) return false;
    }
    return anyMarked;
}
