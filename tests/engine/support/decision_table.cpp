#include "tests/engine/support/decision_table.h"

#include <gtest/gtest.h>

#include "engine/decision/decision.h"
#include "engine/tree/action_codes.h"
#include "engine/tree/sync_record.h"
#include "platform/core/cstring.h"

void PrintTo(ActionCode code, std::ostream* os) { *os << kit::CodeName(code); }
void PrintTo(Bias bias, std::ostream* os) { *os << CString(BiasName(bias)).ToUtf8(); }

namespace kit {

FileStamp File(FileTime write, std::uint64_t size, std::uint32_t attributes) {
    FileStamp s;
    s.attributes = attributes & ~kStampAttributeDirectory;
    s.creationTime = write;
    s.lastAccessTime = write;
    s.lastWriteTime = write;
    s.SetSize(size);
    return s;
}

FileStamp Dir(FileTime creation, std::uint32_t attributes) {
    FileStamp s;
    s.attributes = attributes | kStampAttributeDirectory;
    s.creationTime = creation;
    s.lastAccessTime = creation;
    s.lastWriteTime = creation;
    return s;
}

namespace {

std::u16string Utf16(std::string_view s) { return CString::FromUtf8(s).str(); }

std::string StampText(const FileStamp* s) {
    if (s == nullptr) return "x";
    if (s->IsDirectory()) return "d";
    const long long offset = (static_cast<long long>(s->lastWriteTime) - static_cast<long long>(kT0)) / 10000;
    return "f(" + std::to_string(offset) + "ms," + std::to_string(s->GetSize()) + ")";
}

}  // namespace

FSTreeNode& AddEntry(FSTree& tree, std::string_view path, const Side& left, const Side& right, const Db& db) {
    FSTreeNode* node = tree.GetRoot();
    std::u16string name;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        name = Utf16(path.substr(start, end - start));
        node = FSTree::FindOrInsertChild(node, name);
        start = end + 1;
    }
    CSyncRecord& r = node->record;
    auto named = [&](FileStamp s) {
        s.SetName(name);
        return s;
    };
    if (left) r.SetLeftStamp(named(*left));
    if (right) r.SetRightStamp(named(*right));
    if (db) r.SetDatabaseStamps(named(db->left), named(db->right));
    for (FSTreeNode* n = node; n && !n->IsRoot(); n = n->parent) n->record.SetPath(FSTree::GetNodePath(n).view());
    return *node;
}

FSTreeNode& NodeAt(FSTree& tree, std::string_view path) {
    for (FSTreeNode* n : FSTree::Subtree(tree.GetRoot())) {
        if (FSTree::GetNodePath(n) == CString::ToUpper(CString::FromUtf8(path).view())) return *n;
    }
    ADD_FAILURE() << "no node " << path << "\n" << DumpTree(tree);
    return *tree.GetRoot();
}

std::string DumpTree(const FSTree& tree) {
    std::string out;
    for (FSTreeNode* n : FSTree::Subtree(tree.GetRoot())) {
        const CSyncRecord& r = n->record;
        out += std::string(2 * (n->depth + 1), ' ') + FSTree::GetNodePath(n).ToUtf8() +
               "  L=" + StampText(r.left.get()) + " R=" + StampText(r.right.get()) +
               " D=" + (r.db ? StampText(&r.db->left) + "/" + StampText(&r.db->right) : std::string("x")) +
               "  PA=" + kit::CodeName(r.PA) + " AC=" + kit::CodeName(r.AC) + " BC=" + kit::CodeName(r.BC) +
               " FG=" + std::to_string(r.FG) + "\n";
    }
    return out;
}

std::string TreeCodes(const FSTree& tree, char field) {
    std::string out;
    for (FSTreeNode* n : FSTree::Subtree(tree.GetRoot())) {
        const CSyncRecord& r = n->record;
        const ActionCode c = field == 'P' ? r.PA : field == 'A' ? r.AC : r.BC;
        if (!out.empty()) out += ' ';
        out += FSTree::GetNodePath(n).ToUtf8() + "=" + kit::CodeName(c);
    }
    return out;
}

FSTreeNode& DecisionTable::Add(std::string_view path, const Side& left, const Side& right, const Db& db) {
    return AddEntry(tree, path, left, right, db);
}
FSTreeNode& DecisionTable::operator[](std::string_view path) { return NodeAt(tree, path); }
std::string DecisionTable::Dump() const { return DumpTree(tree); }
std::string DecisionTable::Codes(char field) const { return TreeCodes(tree, field); }

void DecisionTable::Decide() {
    DecideTree(Root(), ComparerOptions());
    DeriveActionCodes(Root(), nullptr);
}

}  // namespace kit
