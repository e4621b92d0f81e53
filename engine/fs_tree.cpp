#include "engine/fs_tree.h"

#include <algorithm>

#include "platform/core/text_convert.h"

// ---- FSTreeChildren --------------------------------------------------------------------

namespace {

bool NameLess(const FSTreeNode* node, std::u16string_view key) { return node->GetName() < key; }

}  // namespace

FSTreeNode* FSTreeChildren::iterator::operator*() const { return list_->blocks_->blocks[block_][pos_]; }

FSTreeChildren::iterator& FSTreeChildren::iterator::operator++() {
    if (++pos_ == list_->blocks_->blocks[block_].size()) {
        ++block_;
        pos_ = 0;
    }
    return *this;
}

FSTreeChildren::iterator FSTreeChildren::lower_bound(std::u16string_view key) const {
    if (empty()) return end();
    const auto& blocks = blocks_->blocks;
    // The first block whose last name is not smaller than the key holds the position.
    auto b = std::partition_point(blocks.begin(), blocks.end(),
                                  [&](const std::vector<FSTreeNode*>& blk) { return NameLess(blk.back(), key); });
    if (b == blocks.end()) return end();
    auto p = std::lower_bound(b->begin(), b->end(), key, NameLess);
    return iterator(this, std::size_t(b - blocks.begin()), std::size_t(p - b->begin()));
}

FSTreeNode* FSTreeChildren::find(std::u16string_view key) const {
    const iterator it = lower_bound(key);
    if (it == end()) return nullptr;
    FSTreeNode* node = *it;
    return node->GetName() == key ? node : nullptr;
}

FSTreeChildren::iterator FSTreeChildren::insert(iterator pos, FSTreeNode* child) {
    if (!blocks_) blocks_ = std::make_unique<Blocks>();
    auto& blocks = blocks_->blocks;
    std::size_t b = pos.block_;
    std::size_t p = pos.pos_;
    if (blocks.empty()) {
        blocks.emplace_back();
        b = p = 0;
    } else if (b == blocks.size()) {
        // At the end: append to the last block.
        b = blocks.size() - 1;
        p = blocks[b].size();
    }
    auto& blk = blocks[b];
    blk.insert(blk.begin() + std::ptrdiff_t(p), child);
    ++blocks_->size;
    if (blk.size() > kBlockMax) {
        // Split in halves; a block past the insertion point keeps the moved half.
        const std::size_t half = blk.size() / 2;
        std::vector<FSTreeNode*> upper(blk.begin() + std::ptrdiff_t(half), blk.end());
        blk.resize(half);
        blocks.insert(blocks.begin() + std::ptrdiff_t(b + 1), std::move(upper));
        if (p >= half) {
            ++b;
            p -= half;
        }
    }
    return iterator(this, b, p);
}

FSTreeChildren::iterator FSTreeChildren::erase(iterator pos) {
    auto& blocks = blocks_->blocks;
    std::size_t b = pos.block_;
    std::size_t p = pos.pos_;
    blocks[b].erase(blocks[b].begin() + std::ptrdiff_t(p));
    --blocks_->size;
    if (blocks[b].empty()) {
        blocks.erase(blocks.begin() + std::ptrdiff_t(b));
        p = 0;
    } else if (p == blocks[b].size()) {
        ++b;
        p = 0;
    }
    if (blocks_->size == 0) {
        blocks_.reset();
        return iterator(this, 0, 0);
    }
    return iterator(this, b, p);
}

std::vector<FSTreeNode*> FSTreeChildren::release() {
    std::vector<FSTreeNode*> all;
    if (!blocks_) return all;
    all.reserve(blocks_->size);
    for (auto& blk : blocks_->blocks) all.insert(all.end(), blk.begin(), blk.end());
    blocks_.reset();
    return all;
}

// ---- FSTreeNode ------------------------------------------------------------------------

FSTreeNode::FSTreeNode(FSTreeNode* parentNode, std::u16string_view upperName)
    : parent(parentNode), name(upperName), depth(parentNode ? parentNode->depth + 1 : kRootDepth) {}

FSTreeNode::~FSTreeNode() {
    // A deep tree (a long path, or a crafted profile) must not exhaust the stack, so the
    // nodes below are deleted from an explicit list; each one is emptied of its own
    // children before it goes, so no destructor recurses.
    std::vector<FSTreeNode*> pending = children.release();
    while (!pending.empty()) {
        FSTreeNode* node = pending.back();
        if (node->children.empty()) {
            pending.pop_back();
            delete node;
        } else {
            std::vector<FSTreeNode*> below = node->children.release();
            pending.insert(pending.end(), below.begin(), below.end());
        }
    }
}

// ---- FSTreeBase / FSTree ---------------------------------------------------------------

FSTreeBase::FSTreeBase() { root = std::make_unique<FSTreeNode>(nullptr, kRootName); }

FSTreeBase::~FSTreeBase() = default;

void FSTreeBase::Init() { root = std::make_unique<FSTreeNode>(nullptr, kRootName); }

void FSTree::DeleteAllNodes() {
    if (!root) {
        Init();
        return;
    }
    for (FSTreeNode* child : root->children.release()) delete child;
}

FSTreeNode* FSTree::FindOrInsertChild(FSTreeNode* parent, std::u16string_view name) {
    const std::u16string key = UpperCase(name);
    FSTreeChildren& kids = parent->children;
    // Names often arrive in order (a profile is written in tree order): try the end first.
    FSTreeChildren::iterator pos;
    if (kids.empty() || NameLess(kids.back(), key)) {
        pos = kids.end();
    } else {
        pos = kids.lower_bound(key);
        if ((*pos)->GetName() == key) return *pos;
    }
    auto node = std::make_unique<FSTreeNode>(parent, key);
    kids.insert(pos, node.get());
    return node.release();
}

FSTreeNode* FSTree::FindChild(const FSTreeNode* parent, std::u16string_view upperName) {
    return parent->children.find(upperName);
}

FSTreeChildren::iterator FSTree::DeleteChild(FSTreeNode* parent, FSTreeChildren::iterator child) {
    FSTreeNode* node = *child;
    FSTreeChildren::iterator next = parent->children.erase(child);
    delete node;
    return next;
}

void FSTree::DeleteChild(FSTreeNode* parent, FSTreeNode* child) {
    FSTreeChildren::iterator pos = parent->children.lower_bound(child->GetName());
    if (pos != parent->children.end() && *pos == child) DeleteChild(parent, pos);
}

CString FSTree::GetNodePath(const FSTreeNode* node) {
    if (!node) return CString();
    std::vector<const FSTreeNode*> chain;
    std::size_t length = 0;
    for (const FSTreeNode* n = node; n && n->parent; n = n->parent) {
        chain.push_back(n);
        length += n->GetName().size() + 1;
    }
    std::u16string path;
    path.reserve(length);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += u'\\';
        path += (*it)->GetName();
    }
    return CString(std::move(path));
}

// ---- Subtree ---------------------------------------------------------------------------

FSTree::Subtree::iterator FSTree::Subtree::begin() const {
    iterator it;
    if (!start_) return it;
    if (including_) {
        // As if a temporary root held the node as its only child.
        it.end_ = nullptr;
        it.current_ = start_;
        it.stack_.push_back({nullptr, {}});
        return it;
    }
    it.end_ = start_;
    it.current_ = start_;
    it.Advance(true);
    return it;
}

FSTree::Subtree::iterator FSTree::Subtree::end() const {
    iterator it;
    it.current_ = including_ ? nullptr : start_;
    it.end_ = it.current_;
    return it;
}

void FSTree::Subtree::iterator::Advance(bool descend) {
    if (!current_) return;
    if (descend && !current_->children.empty()) {
        stack_.push_back({current_, current_->children.begin()});
        current_ = *stack_.back().pos;
        return;
    }
    while (!stack_.empty()) {
        Frame& top = stack_.back();
        if (top.parent) {
            ++top.pos;
            if (top.pos != top.parent->children.end()) {
                current_ = *top.pos;
                return;
            }
        }
        stack_.pop_back();
    }
    current_ = end_;
}
