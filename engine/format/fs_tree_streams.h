#pragma once
// The record tree's node records in profile files, shared by FSTree (every node) and
// CSyncDataBase (database entries and the directories above them only).
//
// Node record, in pre-order (a directory, then its children): name (wide string in
// format 3, narrow in formats 1 and 2), u32 depth, the database stamp pair
// (stamp_streams.h), u32 number of child records that follow. The nodes below a node
// are written as u32 count, then the records.
//
// Neither function recurses on the machine stack, so a deep tree (or a file that claims
// one) cannot overflow it. Failures are reported through the stream's state.
#include <cstdint>
#include <functional>

#include "engine/path_helpers.h"

class BinaryReader;
class BinaryWriter;
class FSTreeNode;

// Writes the nodes below node; with databaseOnly, only nodes in the database and the
// directories above them (an entry found only by the current scan, and a directory
// that holds nothing of the database, are left out).
bool WriteTreeNodes(BinaryWriter& out, const FSTreeNode& node, bool databaseOnly);

// The deepest tree a file may describe: a relative path within kMaxRelativePathBytes
// (path_helpers.h) has a byte and a separator per component at least.
inline constexpr std::uint32_t kMaxTreeDepth = std::uint32_t((kMaxRelativePathBytes + 1) / 2);

// Reads the nodes below parent. Each node is inserted through FSTree::FindOrInsertChild,
// so its stored name is upper-cased again and the children stay sorted and unique; the
// stored depth is not trusted (the tree sets it). A name that appears twice under one
// parent keeps the first record, reads the second one's children below the first node,
// and is reported through onDuplicate (may be empty) with the kept node. The database
// pair is kept when at least one of its stamps has a name. A count that the rest of the
// stream cannot hold, a nesting deeper than kMaxTreeDepth, a node whose path below parent
// is longer than any real path can be (kMaxRelativePathBytes, measured on the node names
// as the crawl measures them), or a name that cannot be a file name (empty, ".", "..",
// or holding '\\' or '/') fails the stream.
bool ReadTreeNodes(BinaryReader& in, FSTreeNode& parent, std::uint32_t version,
                   const std::function<void(const FSTreeNode& kept)>& onDuplicate);
