#include "engine/proxy.h"

#include <algorithm>

#include "engine/filters/protection_filters.h"
#include "engine/tree/fs_tree.h"

void Proxy::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    activeCount_ = 0;
    leftRoot_ = nullptr;
    rightRoot_ = nullptr;
    deepest_ = 0;
    blobStore_ = nullptr;
}

std::uint32_t Proxy::CountNodes(const FSTree& tree) {
    std::uint32_t count = 0;
    FSTree::Subtree walk(tree.GetRoot());
    for (auto it = walk.begin(); it != walk.end(); ++it) ++count;
    return count;
}

void Proxy::Build(const FSTree& tree, const CString* leftRoot, const CString* rightRoot, BlobStore* blobStore) {
    Clear();
    const std::uint32_t count = CountNodes(tree);
    if (count > 0) {
        entries_.reserve(count);
        FSTree::Subtree walk(tree.GetRoot());
        for (auto it = walk.begin(); it != walk.end(); ++it) {
            FSTreeNode* node = *it;
            ProxyEntry entry;
            entry.node = node;
            entries_.push_back(entry);
            deepest_ = std::max(deepest_, node->depth);
            if (node->record.PA != DEL_D) ++activeCount_;
        }
    }
    leftRoot_ = leftRoot;
    rightRoot_ = rightRoot;
    blobStore_ = blobStore;
}

void Proxy::Reset(const CString* leftRoot, const CString* rightRoot, BlobStore* blobStore) {
    Clear();
    leftRoot_ = leftRoot;
    rightRoot_ = rightRoot;
    blobStore_ = blobStore;
}

void Proxy::MarkAll(bool flag) {
    for (auto& entry : entries_) entry.marked = flag ? 1 : 0;
}

void SetEntrySelectionMark(ProxyEntry& entry, bool flag) {
    CSyncRecord& record = entry.node->record;
    if (flag)
        record.FG |= FG_MARKED;
    else
        record.FG &= std::uint8_t(~FG_MARKED);
    if (record.filterState) record.filterState->marked = flag ? 1 : 0;
}

void Proxy::SetSelectionMark(bool flag) {
    for (auto& entry : entries_) SetEntrySelectionMark(entry, flag);
}

namespace {
bool IsDeletion(ActionCode code) { return code == DEL_D || code == DEL_M || code == DEL_S; }
}  // namespace

void Proxy::ExecutionOrder(std::vector<std::uint32_t>& order) const {
    order.clear();
    order.reserve(entries_.size());
    for (std::uint32_t i = GetCount(); i-- > 0;)
        if (IsDeletion(entries_[i].node->record.AC)) order.push_back(i);
    for (std::uint32_t i = 0; i < GetCount(); ++i)
        if (!IsDeletion(entries_[i].node->record.AC)) order.push_back(i);
}
