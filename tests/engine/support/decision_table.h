#pragma once
// The tree of the decision tables (decision, filter and command tests): entries added by
// path with optional left, right and database stamps, printable as one line per node so a
// failing case shows its tree.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/tree/file_stamp.h"
#include "engine/tree/fs_tree.h"
#include "tests/engine/support/kit.h"

// Readable codes in test failure messages.
void PrintTo(ActionCode code, std::ostream* os);
void PrintTo(Bias bias, std::ostream* os);

namespace kit {

// A file stamp (archive attribute unless given) and a directory stamp.
FileStamp File(FileTime write, std::uint64_t size, std::uint32_t attributes = 0x20);
FileStamp Dir(FileTime creation = kT0, std::uint32_t attributes = 0x10);

using Side = std::optional<FileStamp>;
constexpr std::nullopt_t kAbsent = std::nullopt;

struct DbPair {
    FileStamp left;
    FileStamp right;
};
using Db = std::optional<DbPair>;
inline Db InDb(const FileStamp& both) { return DbPair{both, both}; }
inline Db InDb(const FileStamp& left, const FileStamp& right) { return DbPair{left, right}; }

// The same over any tree (a CSyncDataBase, for instance): see DecisionTable.
FSTreeNode& AddEntry(FSTree& tree, std::string_view path, const Side& left, const Side& right,
                     const Db& db = std::nullopt);
FSTreeNode& NodeAt(FSTree& tree, std::string_view path);
std::string DumpTree(const FSTree& tree);
std::string TreeCodes(const FSTree& tree, char field);

class DecisionTable {
public:
    // Adds (or completes) the node at path ("A\\B"), creating missing parents without
    // stamps. Stamps get the path's last component as name. Sets the record's path.
    FSTreeNode& Add(std::string_view path, const Side& left, const Side& right, const Db& db = std::nullopt);
    // The node at path; fails the test when it does not exist.
    FSTreeNode& operator[](std::string_view path);
    FSTreeNode& Root() { return *tree.GetRoot(); }
    // Decides every record with the default comparison and derives the action codes from
    // the decisions, as a scan does before its filters.
    void Decide();

    // One line per node: path, the three stamps (x absent, d dir, f file with time offset
    // in seconds from kT0 and size), PA, AC, BC, FG.
    std::string Dump() const;
    // "PATH=CODE ..." of every node for one code field ('P' PA, 'A' AC, 'B' BC).
    std::string Codes(char field) const;

    FSTree tree;
};

}  // namespace kit
