#pragma once
// The record tree of a profile: one FSTreeNode per path that exists on the left side,
// on the right side or in the database. FSTreeBase holds the root; FSTree adds the
// profile-file stream slots and the Subtree cursor; CSyncDataBase derives from FSTree.
//
// Invariants: a node's children are sorted ascending by their upper-cased names,
// compared code unit by code unit, and unique; the root is "<ROOT>" with depth
// 0xFFFFFFFF, every other node has its parent's depth + 1 (so the entries directly below
// the root have depth 0).
//
// Ownership: the tree owns the root, every node owns its children (and its record).
// Threads: one thread at a time. Nothing throws except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/tree/sync_record.h"
#include "platform/core/cstring.h"

class BinaryReader;
class BinaryWriter;
class FSTreeNode;

constexpr std::uint32_t kRootDepth = 0xFFFFFFFFu;
inline constexpr char16_t kRootName[] = u"<ROOT>";

// The children of a node in name order. A two-level sorted sequence (a list of sorted
// blocks of at most kBlockMax entries), so that an insertion moves at most one block
// while iteration stays a walk over arrays. Beside each child pointer it keeps a short
// key (four code units of the name after the prefix its block shares), so that a
// lookup compares mostly within those arrays and touches only a few nodes. A leaf node
// holds no storage at all.
//
// Iterators stay valid until the list is changed (an insertion or an erase anywhere in
// this list); walks must not change the children they walk over.
class FSTreeChildren {
public:
    static constexpr std::size_t kBlockMax = 256;

    class iterator {
    public:
        using value_type = FSTreeNode*;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        FSTreeNode* operator*() const;
        iterator& operator++();
        iterator operator++(int) { iterator t = *this; ++*this; return t; }
        friend bool operator==(const iterator& a, const iterator& b) {
            return a.list_ == b.list_ && a.block_ == b.block_ && a.pos_ == b.pos_;
        }

    private:
        friend class FSTreeChildren;
        iterator(const FSTreeChildren* list, std::size_t block, std::size_t pos) : list_(list), block_(block), pos_(pos) {}
        const FSTreeChildren* list_ = nullptr;
        std::size_t block_ = 0;
        std::size_t pos_ = 0;
    };

    FSTreeChildren() = default;
    FSTreeChildren(const FSTreeChildren&) = delete;
    FSTreeChildren& operator=(const FSTreeChildren&) = delete;

    bool empty() const { return !data_; }
    std::size_t size() const { return data_ ? data_->size : 0; }
    iterator begin() const { return iterator(this, 0, 0); }
    iterator end() const { return iterator(this, data_ ? data_->blocks.size() : 0, 0); }
    // The first and the last child; not on an empty list.
    FSTreeNode* front() const { return data_->blocks.front().entries.front().node; }
    FSTreeNode* back() const { return data_->blocks.back().entries.back().node; }

    // The first child whose name is not smaller than key (an upper-cased name).
    iterator lower_bound(std::u16string_view key) const { return locate(key, nullptr); }
    // lower_bound, and whether the child there is named key.
    iterator locate(std::u16string_view key, bool* found) const;
    // The child named key, or null.
    FSTreeNode* find(std::u16string_view key) const;
    // Inserts child before pos; the caller keeps the order. Returns the child's position.
    iterator insert(iterator pos, FSTreeNode* child);
    // Removes the pointer at pos (the node is not deleted); returns the next position.
    iterator erase(iterator pos);
    // Removes every pointer and hands them out (the nodes are not deleted).
    std::vector<FSTreeNode*> release();

private:
    struct Entry {
        std::uint64_t key;  // KeyAt(name, block prefix)
        FSTreeNode* node;
    };
    struct Block {
        std::vector<Entry> entries;  // never empty
        // Every name from the block's lower bound (the last name of the block before, or
        // its own first name in the first block) to its last name has this many first
        // code units in common, so a key that falls into the block has them too.
        std::uint32_t prefix = 0;
    };
    struct Data {
        std::vector<Block> blocks;
        std::vector<std::uint64_t> fences;  // per block: KeyAt(last name, prefix)
        std::uint32_t prefix = 0;           // every name of the list shares this many code units
        std::size_t size = 0;
    };
    std::u16string_view LowerBound(std::size_t b) const;
    void RefreshBlock(std::size_t b);
    void Split(std::size_t b);
    void RefreshFences();
    std::unique_ptr<Data> data_;
};

class FSTreeNode {
public:
    // A node named upperName (upper-cased by the caller) below parent (null for a root).
    // The name is stored in the same allocation as the node.
    static std::unique_ptr<FSTreeNode> Create(FSTreeNode* parentNode, std::u16string_view upperName);
    // Deletes the children (depth first, without recursion).
    ~FSTreeNode();
    FSTreeNode(const FSTreeNode&) = delete;
    FSTreeNode& operator=(const FSTreeNode&) = delete;
    static void operator delete(void* p) { ::operator delete(p); }

    // The upper-cased file name; "<ROOT>" for the root.
    std::u16string_view GetName() const { return {NameText(), nameLength_}; }
    const char16_t* GetNameCStr() const { return NameText(); }
    bool IsRoot() const { return parent == nullptr; }

    FSTreeNode* parent = nullptr;  // null for the root
    FSTreeChildren children;       // sorted, unique by name
    CSyncRecord record;
    std::uint32_t depth = kRootDepth;

private:
    FSTreeNode(FSTreeNode* parentNode, std::size_t nameLength);
    // The name's code units and a NUL follow the object in its allocation.
    const char16_t* NameText() const { return reinterpret_cast<const char16_t*>(this + 1); }

    std::uint32_t nameLength_ = 0;
};

class FSTreeBase {
public:
    FSTreeBase();
    virtual ~FSTreeBase();
    FSTreeBase(const FSTreeBase&) = delete;
    FSTreeBase& operator=(const FSTreeBase&) = delete;

    // A new, empty root "<ROOT>" (a tree held before is deleted).
    virtual void Init();

    FSTreeNode* GetRoot() const { return root.get(); }

    std::unique_ptr<FSTreeNode> root;
};

class FSTree : public FSTreeBase {
public:
    class Subtree;

    // Profile-file streams (with the profile file): write the nodes below node, read
    // the nodes below node, and both from the root. False when the stream failed or
    // held a bad format.
    virtual bool WriteSubtree(BinaryWriter& stream, FSTreeNode* node, std::uint32_t flags);
    virtual bool ReadSubtree(BinaryReader& stream, FSTreeNode* node, std::uint32_t version);
    virtual bool Read(BinaryReader& stream, std::uint32_t version);
    virtual bool Write(BinaryWriter& stream, std::uint32_t flags);

    // Deletes every node below the root, children before their parent; the root stays.
    void DeleteAllNodes();
    // The child of parent named UpperCase(name); a new node at its place in the order
    // when there is none (depth = parent's + 1, empty record, no children).
    static FSTreeNode* FindOrInsertChild(FSTreeNode* parent, std::u16string_view name);
    // The child of parent named upperName exactly (already upper-cased), or null.
    static FSTreeNode* FindChild(const FSTreeNode* parent, std::u16string_view upperName);
    // Deletes child (and everything below it) from parent's children. Returns the position
    // after it, for loops that delete while walking one child list.
    static FSTreeChildren::iterator DeleteChild(FSTreeNode* parent, FSTreeChildren::iterator child);
    // Does nothing when child is null or not a child of parent.
    static void DeleteChild(FSTreeNode* parent, FSTreeNode* child);
    // The names from below the root down to node joined by "\\" (no leading or trailing
    // separator); empty for the root and for null.
    static CString GetNodePath(const FSTreeNode* node);
};

// A depth-first cursor: a directory before its contents, siblings in name order.
//   Subtree(start)             walks everything below start (start itself excluded);
//   Subtree::Including(node)   walks node itself and everything below it.
// begin() is the first node of the walk, end() the position after the last. The
// children of the nodes walked must not change during the walk (records may).
class FSTree::Subtree {
public:
    class iterator {
    public:
        using value_type = FSTreeNode*;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        FSTreeNode* operator*() const { return current_; }
        FSTreeNode* operator->() const { return current_; }
        iterator& operator++() { Advance(true); return *this; }
        // Moves on without entering the current node's children.
        iterator& SkipChildren() { Advance(false); return *this; }
        // End is reached when no frame is left.
        friend bool operator==(const iterator& a, const iterator& b) {
            return a.current_ == b.current_ && a.stack_.size() == b.stack_.size();
        }

    private:
        friend class Subtree;
        struct Frame {
            const FSTreeNode* parent;  // null: the single-node frame of Including
            FSTreeChildren::iterator pos;
        };
        void Advance(bool descend);

        FSTreeNode* current_ = nullptr;
        FSTreeNode* end_ = nullptr;
        std::vector<Frame> stack_;
    };

    explicit Subtree(FSTreeNode* start) : start_(start) {}
    static Subtree Including(FSTreeNode* node) {
        Subtree s(node);
        s.including_ = true;
        return s;
    }
    iterator begin() const;
    iterator end() const;

private:
    FSTreeNode* start_;
    bool including_ = false;
};
