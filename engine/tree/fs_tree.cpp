#include "engine/tree/fs_tree.h"

#include <algorithm>

#include "platform/core/text_convert.h"

// ---- FSTreeChildren --------------------------------------------------------------------

namespace {

bool NameLess(const FSTreeNode* node, std::u16string_view key) { return node->GetName() < key; }

std::uint32_t CommonPrefix(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return static_cast<std::uint32_t>(i);
}

// Four code units of name from position at, the first in the highest bits, missing
// ones as 0. For names that share their first `at` units, a smaller key means a smaller
// name; equal keys say nothing and the names themselves decide.
std::uint64_t KeyAt(std::u16string_view name, std::uint32_t at) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t k = at + i;
        key = (key << 16) | (k < name.size() ? name[k] : 0u);
    }
    return key;
}

// The first index in [0, n) whose name is not smaller than name, for a sorted sequence
// whose short keys (keyOf) were taken at the prefix name shares with all of them.
template <typename KeyOf, typename NodeOf>
std::size_t SearchByKey(std::size_t n, std::uint64_t key, std::u16string_view name, KeyOf keyOf, NodeOf nodeOf) {
    std::size_t lo = 0, hi = n;
    while (lo < hi) {  // first index whose key is not smaller
        const std::size_t mid = (lo + hi) / 2;
        if (keyOf(mid) < key) lo = mid + 1;
        else hi = mid;
    }
    if (lo == n || keyOf(lo) != key) return lo;  // the common case: the key decides
    std::size_t end = lo + 1;
    hi = n;
    while (end < hi) {  // end of the run of equal keys
        const std::size_t mid = (end + hi) / 2;
        if (keyOf(mid) == key) end = mid + 1;
        else hi = mid;
    }
    while (lo < end) {  // within the run the names decide
        const std::size_t mid = (lo + end) / 2;
        if (NameLess(nodeOf(mid), name)) lo = mid + 1;
        else end = mid;
    }
    return lo;
}

}  // namespace

FSTreeNode* FSTreeChildren::iterator::operator*() const { return list_->data_->blocks[block_].entries[pos_].node; }

FSTreeChildren::iterator& FSTreeChildren::iterator::operator++() {
    if (++pos_ == list_->data_->blocks[block_].entries.size()) {
        ++block_;
        pos_ = 0;
    }
    return *this;
}

FSTreeChildren::iterator FSTreeChildren::locate(std::u16string_view key, bool* found) const {
    bool dummy;
    bool& equal = found ? *found : dummy;
    equal = false;
    if (!data_) return end();
    const Data& d = *data_;
    // Outside the list's range the key does not share the list's prefix.
    if (!NameLess(front(), key)) {
        equal = front()->GetName() == key;
        return begin();
    }
    if (NameLess(back(), key)) return end();
    // The block holding the position: the first whose last name is not smaller.
    const std::size_t b = SearchByKey(
        d.blocks.size(), KeyAt(key, d.prefix), key, [&](std::size_t i) { return d.fences[i]; },
        [&](std::size_t i) { return d.blocks[i].entries.back().node; });
    const Block& blk = d.blocks[b];
    const std::uint64_t k = KeyAt(key, blk.prefix);
    const std::size_t p = SearchByKey(
        blk.entries.size(), k, key, [&](std::size_t i) { return blk.entries[i].key; },
        [&](std::size_t i) { return blk.entries[i].node; });
    // Different short keys mean different names; only equal ones need the names.
    equal = blk.entries[p].key == k && blk.entries[p].node->GetName() == key;
    return iterator(this, b, p);
}

FSTreeNode* FSTreeChildren::find(std::u16string_view key) const {
    bool found = false;
    const iterator it = locate(key, &found);
    return found ? *it : nullptr;
}

std::u16string_view FSTreeChildren::LowerBound(std::size_t b) const {
    const Data& d = *data_;
    return b == 0 ? d.blocks[0].entries.front().node->GetName() : d.blocks[b - 1].entries.back().node->GetName();
}

void FSTreeChildren::RefreshBlock(std::size_t b) {
    Block& blk = data_->blocks[b];
    const std::u16string_view last = blk.entries.back().node->GetName();
    blk.prefix = CommonPrefix(LowerBound(b), last);
    for (Entry& e : blk.entries) e.key = KeyAt(e.node->GetName(), blk.prefix);
    data_->fences[b] = KeyAt(last, data_->prefix);
}

void FSTreeChildren::RefreshFences() {
    Data& d = *data_;
    const std::uint32_t prefix = CommonPrefix(front()->GetName(), back()->GetName());
    if (prefix == d.prefix && d.blocks.size() > 1) return;  // names in order rarely change it
    d.prefix = prefix;
    for (std::size_t b = 0; b < d.blocks.size(); ++b)
        d.fences[b] = KeyAt(d.blocks[b].entries.back().node->GetName(), d.prefix);
}

FSTreeChildren::iterator FSTreeChildren::insert(iterator pos, FSTreeNode* child) {
    if (!data_) data_ = std::make_unique<Data>();
    Data& d = *data_;
    std::size_t b = pos.block_;
    std::size_t p = pos.pos_;
    if (d.blocks.empty()) {
        d.blocks.emplace_back();
        d.fences.push_back(0);
        b = p = 0;
    } else if (b == d.blocks.size()) {  // at the end: append to the last block
        b = d.blocks.size() - 1;
        p = d.blocks[b].entries.size();
    }
    Block& blk = d.blocks[b];
    // Only a new first name of the list or a new last name of the last block widens a
    // block's range; any other position lies inside the range of its block.
    const bool newFirst = b == 0 && p == 0;
    const bool newLast = p == blk.entries.size();
    blk.entries.insert(blk.entries.begin() + std::ptrdiff_t(p), Entry{0, child});
    ++d.size;
    if (newFirst || newLast) RefreshFences();
    if ((newFirst || newLast) && CommonPrefix(LowerBound(b), blk.entries.back().node->GetName()) < blk.prefix) {
        RefreshBlock(b);
    } else {
        blk.entries[p].key = KeyAt(child->GetName(), blk.prefix);
        if (newLast) d.fences[b] = KeyAt(child->GetName(), d.prefix);
    }
    if (blk.entries.size() > kBlockMax) Split(b);
    else return iterator(this, b, p);
    const std::size_t half = d.blocks[b].entries.size();
    return p >= half ? iterator(this, b + 1, p - half) : iterator(this, b, p);
}

void FSTreeChildren::Split(std::size_t b) {
    Data& d = *data_;
    Block& blk = d.blocks[b];
    const std::size_t half = blk.entries.size() / 2;
    Block upper;
    upper.entries.assign(blk.entries.begin() + std::ptrdiff_t(half), blk.entries.end());
    upper.prefix = blk.prefix;
    blk.entries.resize(half);
    d.blocks.insert(d.blocks.begin() + std::ptrdiff_t(b + 1), std::move(upper));
    d.fences.insert(d.fences.begin() + std::ptrdiff_t(b + 1), d.fences[b]);
    // Both halves cover part of the old range, so the old prefix and keys still hold;
    // a half is keyed again (which reads all its names) only when its range now shares a
    // longer prefix, as keys behind a short prefix stop telling neighbours apart.
    d.fences[b] = KeyAt(d.blocks[b].entries.back().node->GetName(), d.prefix);
    for (std::size_t h : {b, b + 1}) {
        const Block& part = d.blocks[h];
        if (CommonPrefix(LowerBound(h), part.entries.back().node->GetName()) > part.prefix) RefreshBlock(h);
    }
}

FSTreeChildren::iterator FSTreeChildren::erase(iterator pos) {
    Data& d = *data_;
    std::size_t b = pos.block_;
    std::size_t p = pos.pos_;
    auto& entries = d.blocks[b].entries;
    entries.erase(entries.begin() + std::ptrdiff_t(p));
    if (--d.size == 0) {
        data_.reset();
        return iterator(this, 0, 0);
    }
    // A narrower range keeps its prefix; the block after a removed last name gets a
    // lower bound further down and is keyed again.
    if (entries.empty()) {
        d.blocks.erase(d.blocks.begin() + std::ptrdiff_t(b));
        d.fences.erase(d.fences.begin() + std::ptrdiff_t(b));
        if (b < d.blocks.size()) RefreshBlock(b);
        return iterator(this, b, 0);
    }
    if (p == entries.size()) {
        d.fences[b] = KeyAt(entries.back().node->GetName(), d.prefix);
        if (b + 1 < d.blocks.size()) RefreshBlock(b + 1);
        return iterator(this, b + 1, 0);
    }
    return iterator(this, b, p);
}

std::vector<FSTreeNode*> FSTreeChildren::release() {
    std::vector<FSTreeNode*> all;
    if (!data_) return all;
    all.reserve(data_->size);
    for (const Block& blk : data_->blocks)
        for (const Entry& e : blk.entries) all.push_back(e.node);
    data_.reset();
    return all;
}

// ---- FSTreeNode ------------------------------------------------------------------------

FSTreeNode::FSTreeNode(FSTreeNode* parentNode, std::size_t nameLength)
    : parent(parentNode), depth(parentNode ? parentNode->depth + 1 : kRootDepth),
      nameLength_(static_cast<std::uint32_t>(nameLength)) {}

std::unique_ptr<FSTreeNode> FSTreeNode::Create(FSTreeNode* parentNode, std::u16string_view upperName) {
    // One allocation for the node and its name: a million-entry tree saves a block
    // header per entry, and a lookup reads the name next to the node it compares.
    void* raw = ::operator new(sizeof(FSTreeNode) + (upperName.size() + 1) * sizeof(char16_t));
    auto* node = ::new (raw) FSTreeNode(parentNode, upperName.size());
    auto* text = reinterpret_cast<char16_t*>(node + 1);
    upperName.copy(text, upperName.size());
    text[upperName.size()] = 0;
    return std::unique_ptr<FSTreeNode>(node);
}

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

FSTreeBase::FSTreeBase() { root = FSTreeNode::Create(nullptr, kRootName); }

FSTreeBase::~FSTreeBase() = default;

void FSTreeBase::Init() { root = FSTreeNode::Create(nullptr, kRootName); }

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
        bool found = false;
        pos = kids.locate(key, &found);
        if (found) return *pos;
    }
    auto node = FSTreeNode::Create(parent, key);
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
    if (!child) return;
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
