#pragma once
// The state of one side of a scenario as a value: every entry below a root by its path
// ("docs/a.txt", '/' between the names' bytes as they are on disk, non-UTF-8 bytes
// kept), with its kind and, for a file, its bytes. Built from initializer lists in the
// tests and read from a file system to compare; printed one entry a line on failure.
//
//   scenario::Tree{{"a.txt", "alpha"}, Dir("empty"), {"docs/b.txt", "beta"}, Link("l")}
//
// Parent directories of the paths given are added as directories.
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/file_system.h"

namespace kit::scenario {

struct Node {
    enum Kind : std::uint8_t { File, Dir, Link, Special, Unlisted };  // Unlisted: a directory that could not be read
    Kind kind = File;
    std::string bytes;  // a file's contents
    friend bool operator==(const Node&, const Node&) = default;
};

struct Entry {
    Entry(std::string p, std::string contents) : path(std::move(p)), node{Node::File, std::move(contents)} {}
    Entry(std::string p, Node n) : path(std::move(p)), node(std::move(n)) {}
    std::string path;
    Node node;
};
inline Entry Dir(std::string path) { return {std::move(path), Node{Node::Dir, {}}}; }
inline Entry Link(std::string path) { return {std::move(path), Node{Node::Link, {}}}; }
inline Entry Special(std::string path) { return {std::move(path), Node{Node::Special, {}}}; }

class Tree {
public:
    Tree() = default;
    Tree(std::initializer_list<Entry> entries);

    // Adds an entry and its missing parent directories.
    void Add(const std::string& path, const Node& node);
    // Everything below root (absolute, ending in '/') as the file system shows it.
    // Temporary files of the program (kTemporaryPrefix) are left out unless asked for.
    static Tree Read(plat::FileSystem& fs, const CString& root, bool withTemporaries = false);

    // Paths of entries whose names begin with the temporary prefix.
    std::vector<std::string> Temporaries() const;
    const Node* Find(const std::string& path) const;

    std::map<std::string, Node> entries;
    friend bool operator==(const Tree&, const Tree&) = default;
};

// A path with bytes below 0x20, 0x7F, '\\' and bytes that are not printable ASCII as
// \xNN, for messages.
std::string Printable(const std::string& path);
std::ostream& operator<<(std::ostream& os, const Tree& tree);
void PrintTo(const Tree& tree, std::ostream* os);
// The entries that differ, one a line ("- path" only in want, "+ path" only in got,
// "~ path" different), empty when equal.
std::string Difference(const Tree& want, const Tree& got);

// A relative path ("docs/a.txt") as the engine's record path ("DOCS\\A.TXT").
CString RecordPath(const std::string& path);
// The bytes of a name as the engine's text (lossless), and back.
CString Text(const std::string& bytes);
std::string Bytes(const CString& text);

}  // namespace kit::scenario
