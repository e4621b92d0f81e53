#pragma once
// Proxy: a flat index over the entries of a record tree, in tree order (a directory
// before its contents, siblings in name order), that the views, the commands and the
// execution address by index. Rebuilt at the end of every scan and cleared whenever the
// tree is dropped; between scans the node pointers stay valid because the tree is only
// changed through its records, never restructured.
//
// Ownership: the entry array is owned; the roots and the blob store belong to the
// database the index was built from and must outlive it (they are members of it).
// Threads: the thread that owns the database (the scan worker builds it while the
// user-interface thread waits). Nothing throws except std::bad_alloc.
#include <cstdint>
#include <vector>

#include "platform/core/cstring.h"

class BlobStore;
class FSTree;
class FSTreeNode;

struct ProxyEntry {
    std::uint8_t marked = 0;    // takes part in the next command
    FSTreeNode* node = nullptr;
    int gridRow = -1;           // the entry's grid row, -1 when it has none (the views keep it)
};

// The entry's record: FG_MARKED := flag, and its filter state's marked byte when it has
// one (the view's selection of one row).
void SetEntrySelectionMark(ProxyEntry& entry, bool flag);

class Proxy {
public:
    Proxy() = default;
    virtual ~Proxy() = default;
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    // No entries; counts, deepest, roots and blob store zero.
    void Clear();
    // Nodes in tree order, the root not counted.
    static std::uint32_t CountNodes(const FSTree& tree);
    // One entry per node of tree in tree order; deepest is the largest node depth; the
    // active count leaves out entries whose PA is DEL_D. The roots and the blob store are
    // stored also when the tree is empty.
    void Build(const FSTree& tree, const CString* leftRoot, const CString* rightRoot, BlobStore* blobStore);
    // No entries, the roots and the blob store stored.
    void Reset(const CString* leftRoot, const CString* rightRoot, BlobStore* blobStore);
    // Every entry's marked byte.
    void MarkAll(bool flag);
    // Every entry's record: FG_MARKED := flag, and its filter state's marked byte when it
    // has one.
    void SetSelectionMark(bool flag);
    // The order the execution works in: the deletions (AC DEL_D, DEL_M, DEL_S) from the
    // last entry to the first, so that contents go before their directories; then every
    // other entry from the first to the last, so that directories come before their
    // contents.
    void ExecutionOrder(std::vector<std::uint32_t>& order) const;

    std::uint32_t GetCount() const { return std::uint32_t(entries_.size()); }
    std::uint32_t GetActiveCount() const { return activeCount_; }
    std::uint32_t GetDeepest() const { return deepest_; }
    bool IsEmpty() const { return entries_.empty(); }
    ProxyEntry& operator[](std::uint32_t i) { return entries_[i]; }
    const ProxyEntry& operator[](std::uint32_t i) const { return entries_[i]; }
    std::vector<ProxyEntry>& Entries() { return entries_; }
    const std::vector<ProxyEntry>& Entries() const { return entries_; }

    // Null when not set.
    const CString* GetLeftRoot() const { return leftRoot_; }
    const CString* GetRightRoot() const { return rightRoot_; }
    BlobStore* GetBlobStore() const { return blobStore_; }

private:
    std::vector<ProxyEntry> entries_;
    std::uint32_t activeCount_ = 0;
    const CString* leftRoot_ = nullptr;
    const CString* rightRoot_ = nullptr;
    std::uint32_t deepest_ = 0;
    BlobStore* blobStore_ = nullptr;
};
