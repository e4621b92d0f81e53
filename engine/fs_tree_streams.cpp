// The tree's profile-file streams until the profile file's reader and writer exist: they
// fail, so nothing is ever read or written half.
#include "engine/fs_tree.h"

bool FSTree::WriteSubtree(BinaryWriter&, FSTreeNode*, std::uint32_t) { return false; }
bool FSTree::ReadSubtree(BinaryReader&, FSTreeNode*, std::uint32_t) { return false; }
bool FSTree::Read(BinaryReader& stream, std::uint32_t version) { return ReadSubtree(stream, GetRoot(), version); }
bool FSTree::Write(BinaryWriter& stream, std::uint32_t flags) { return WriteSubtree(stream, GetRoot(), flags); }
