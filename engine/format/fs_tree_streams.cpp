#include "engine/format/fs_tree_streams.h"

#include <vector>

#include "engine/format/binary_stream.h"
#include "engine/format/stamp_streams.h"
#include "engine/format/stream_strings.h"
#include "engine/path_helpers.h"
#include "engine/tree/fs_tree.h"
#include "platform/core/file_system.h"
#include "platform/core/win_error.h"

namespace {

// The fewest bytes a node record takes: an empty name, depth, the stamps, child count.
std::uint64_t MinNodeBytes(std::uint32_t version) {
    return 4 + 4 + (version == 1 ? 1 : 2) * kMinStampBytes + 4;
}

// A stored name must be one component of a path below the root: anything else would
// make the tree's paths point elsewhere (".." above the root, "A\\B" into a
// subdirectory).
bool IsValidNodeName(std::u16string_view name) {
    if (name.empty() || plat::IsDotName(name)) return false;
    return name.find_first_of(u"\\/") == std::u16string_view::npos;
}

bool CheckCount(BinaryReader& in, std::uint32_t count, std::uint32_t version) {
    if (count > in.Remaining() / MinNodeBytes(version)) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

}  // namespace

bool WriteTreeNodes(BinaryWriter& out, const FSTreeNode& node, bool databaseOnly) {
    // Pre-order list of the nodes below node, with the index of each one's parent
    // (-1 for the children of node).
    struct Item {
        const FSTreeNode* node;
        std::int64_t parent;
        std::uint32_t written = 0;  // children that are written
        bool write = false;
    };
    std::vector<Item> items;
    std::vector<std::pair<FSTreeChildren::iterator, std::int64_t>> stack;  // (next child, parent index)
    stack.push_back({node.children.begin(), -1});
    while (!stack.empty()) {
        auto& [it, parentIndex] = stack.back();
        const FSTreeNode* parent = parentIndex < 0 ? &node : items[std::size_t(parentIndex)].node;
        if (it == parent->children.end()) {
            stack.pop_back();
            continue;
        }
        const FSTreeNode* child = *it;
        ++it;
        const std::int64_t index = std::int64_t(items.size());
        items.push_back({child, parentIndex});
        if (!child->children.empty()) stack.push_back({child->children.begin(), index});
    }
    // From the deepest up: a node is written when it is in the database or anything
    // below it is written (pre-order puts every child after its parent).
    std::uint32_t top = 0;
    for (std::size_t i = items.size(); i-- > 0;) {
        Item& item = items[i];
        item.write = !databaseOnly || item.node->record.IsInDatabase() || item.written != 0;
        if (!item.write) continue;
        if (item.parent < 0) {
            ++top;
        } else {
            ++items[std::size_t(item.parent)].written;
        }
    }
    out.WriteU32(top);
    for (const Item& item : items) {
        if (!item.write) continue;
        WriteWideString(out, item.node->GetName());
        out.WriteU32(item.node->depth);
        WriteStampPair(out, item.node->record.db.get());
        if (!out.WriteU32(item.written)) break;
    }
    return out.good();
}

bool ReadTreeNodes(BinaryReader& in, FSTreeNode& parent, std::uint32_t version,
                   const std::function<void(const FSTreeNode& kept)>& onDuplicate) {
    struct Frame {
        FSTreeNode* node;
        std::uint32_t left;     // child records still to read
        std::size_t pathBytes;  // the node's path below parent (RelativePathBytes)
    };
    std::uint32_t count = 0;
    if (!in.ReadU32(count) || !CheckCount(in, count, version)) return false;
    std::vector<Frame> stack{{&parent, count, 0}};
    CString name;
    FileStampPair pair;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.left == 0) {
            stack.pop_back();
            continue;
        }
        --frame.left;
        FSTreeNode* under = frame.node;
        const std::size_t underBytes = frame.pathBytes;
        std::uint32_t depth = 0, children = 0;
        if (version >= 3) {
            ReadWideString(in, name);
        } else {
            ReadNarrowString(in, name);
        }
        in.ReadU32(depth);
        ReadStampPair(in, pair, version);
        in.ReadU32(children);
        if (!in.good()) return false;
        if (!IsValidNodeName(name) || !CheckCount(in, children, version)) {
            in.SetFail(win32::ERROR_INVALID_DATA);
            return false;
        }
        const std::size_t before = under->children.size();
        FSTreeNode* node = FSTree::FindOrInsertChild(under, name);
        // Measured on the node's name as the tree holds it, as the crawl measures it.
        const std::size_t pathBytes = RelativePathBytes(underBytes, node->GetName());
        if (pathBytes > kMaxRelativePathBytes) {
            in.SetFail(win32::ERROR_INVALID_DATA);
            return false;
        }
        if (under->children.size() == before) {
            if (onDuplicate) onDuplicate(*node);
        } else if (!pair.left.GetName().empty() || !pair.right.GetName().empty()) {
            node->record.SetDatabaseStamps(pair);
        }
        if (children != 0) {
            if (stack.size() >= kMaxTreeDepth) {
                in.SetFail(win32::ERROR_INVALID_DATA);
                return false;
            }
            stack.push_back({node, children, pathBytes});  // invalidates frame
        }
    }
    return in.good();
}

bool FSTree::WriteSubtree(BinaryWriter& stream, FSTreeNode* node, std::uint32_t) {
    if (!node) {
        stream.SetFail(win32::ERROR_INVALID_PARAMETER);
        return false;
    }
    return WriteTreeNodes(stream, *node, false);
}

bool FSTree::ReadSubtree(BinaryReader& stream, FSTreeNode* node, std::uint32_t version) {
    if (!node) {
        stream.SetFail(win32::ERROR_INVALID_PARAMETER);
        return false;
    }
    return ReadTreeNodes(stream, *node, version, {});
}

bool FSTree::Read(BinaryReader& stream, std::uint32_t version) { return ReadSubtree(stream, GetRoot(), version); }
bool FSTree::Write(BinaryWriter& stream, std::uint32_t flags) { return WriteSubtree(stream, GetRoot(), flags); }
